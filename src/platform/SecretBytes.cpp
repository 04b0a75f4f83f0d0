#include "platform/SecretBytes.h"

#include "platform/Errors.h"

#include <QStringEncoder>

#include <sodium.h>

#include <new>
#include <utility>

void ensureSodiumReady() {
    static const bool ready = sodium_init() >= 0;
    if (!ready)
        throw ZilvarenError(QStringLiteral("Şifreleme kitaplığı başlatılamadı."));
}

SecretBytes::SecretBytes(std::size_t capacity,
                         const std::function<std::size_t(unsigned char*)>& fill) {
    ensureSodiumReady();
    data_ = static_cast<unsigned char*>(sodium_malloc(capacity));
    if (!data_)
        throw std::bad_alloc();
    try {
        size_ = fill(data_);
    } catch (...) {
        release();
        throw;
    }
    Q_ASSERT(size_ <= capacity);
    sodium_mprotect_noaccess(data_);
}

SecretBytes SecretBytes::fromText(QStringView text) {
    QStringEncoder utf8(QStringEncoder::Utf8);
    return SecretBytes(std::size_t(utf8.requiredSpace(text.size())), [&](unsigned char* out) {
        char* begin = reinterpret_cast<char*>(out);
        return std::size_t(utf8.appendToBuffer(begin, text) - begin);
    });
}

SecretBytes::SecretBytes(SecretBytes&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), size_(std::exchange(other.size_, 0)) {}

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept {
    if (this != &other) {
        release();
        data_ = std::exchange(other.data_, nullptr);
        size_ = std::exchange(other.size_, 0);
    }
    return *this;
}

SecretBytes::~SecretBytes() {
    release();
}

void SecretBytes::release() {
    // sodium_free wipes the bytes, whatever their protection.
    if (data_)
        sodium_free(data_);
    data_ = nullptr;
    size_ = 0;
}

SecretBytes::Reading::Reading(const SecretBytes& secret) : secret_(secret) {
    if (secret_.data_ && secret_.readers_ == 0 && sodium_mprotect_readonly(secret_.data_) != 0)
        throw std::bad_alloc();
    ++secret_.readers_;
}

SecretBytes::Reading::~Reading() {
    if (--secret_.readers_ == 0 && secret_.data_)
        sodium_mprotect_noaccess(secret_.data_);
}

bool sameSecret(const SecretBytes& a, const SecretBytes& b) {
    if (a.size() != b.size())
        return false;
    const auto x = a.read();
    const auto y = b.read();
    return sodium_memcmp(x.data(), y.data(), x.size()) == 0;
}

std::size_t characterCount(const SecretBytes& text) {
    const auto bytes = text.read();
    std::size_t n = 0;
    for (std::size_t i = 0; i < bytes.size(); ++i)
        n += (bytes.data()[i] & 0xC0) != 0x80;
    return n;
}
