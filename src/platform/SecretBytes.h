#pragma once

#include <QStringView>

#include <cstddef>
#include <functional>

// Makes libsodium ready for use; safe to call from any thread, any number
// of times. Throws ZilvarenError when the library cannot start.
void ensureSodiumReady();

// Bytes that must not leak: a password, a key. They live in libsodium's
// guarded memory (kept out of swap, fenced by guard pages, wiped when
// freed) and can be read only while a Reading of them lives; the rest of
// the time the pages cannot be touched at all.
class SecretBytes {
public:
    // Hands capacity bytes to fill once, which writes the secret and
    // returns how many bytes it wrote (at most capacity). An exception from
    // fill leaves nothing behind.
    SecretBytes(std::size_t capacity, const std::function<std::size_t(unsigned char*)>& fill);
    // A password as the user typed it, in UTF-8; the caller clears the text.
    static SecretBytes fromText(QStringView text);

    SecretBytes(SecretBytes&& other) noexcept;
    SecretBytes& operator=(SecretBytes&& other) noexcept;
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    ~SecretBytes();

    std::size_t size() const { return size_; }

    // The bytes, readable while this lives. Readings may overlap; the bytes
    // close again when the last one ends. A Reading must not outlive its
    // SecretBytes.
    class Reading {
    public:
        explicit Reading(const SecretBytes& secret);
        ~Reading();
        Reading(const Reading&) = delete;
        Reading& operator=(const Reading&) = delete;
        const unsigned char* data() const { return secret_.data_; }
        std::size_t size() const { return secret_.size_; }

    private:
        const SecretBytes& secret_;
    };
    Reading read() const { return Reading(*this); }

private:
    void release();

    unsigned char* data_ = nullptr;
    std::size_t size_ = 0;
    mutable int readers_ = 0;
};

// Whether two secrets hold the same bytes (in constant time).
bool sameSecret(const SecretBytes& a, const SecretBytes& b);
// The characters of a secret made by fromText.
std::size_t characterCount(const SecretBytes& text);
