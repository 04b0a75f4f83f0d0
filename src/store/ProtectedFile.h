#pragma once

#include "platform/Errors.h"
#include "platform/SecretBytes.h"

#include <QByteArray>
#include <QByteArrayView>

#include <array>
#include <optional>

// The protected form of a record file: the plain file's exact bytes,
// encrypted with a key made from a password. Its layout, byte by byte, is
// in the README under "The protected form".

// What Argon2id spends on a key: passes over its memory, and the memory in
// bytes. Kept in each file's header, so new files can ask for more.
struct KdfLimits {
    quint64 opsLimit = 0;
    quint64 memLimit = 0;
    bool operator==(const KdfLimits&) const = default;
};

// New keys: about 0.4 s on the two-core development machine.
inline constexpr KdfLimits kDefaultKdfLimits{4, quint64(128) << 20};
// The most a file may ask for (about 10 s there). A header asking more is
// damaged: a made-up file must not hold the program for minutes or take
// gigabytes.
inline constexpr KdfLimits kMaxKdfLimits{10, quint64(1) << 30};

// The plain bytes go in pieces of this size, each sealed on its own.
inline constexpr qsizetype kProtectedChunkSize = 64 * 1024;

inline constexpr std::size_t kFileSaltSize = 16;
using FileSalt = std::array<unsigned char, kFileSaltSize>;

// The key of one protected file, with the salt and limits the password was
// made into it with. Kept while the file is open, so saving again needs no
// new derivation; a new password needs a new FileKey (and gets a new salt).
class FileKey {
public:
    const KdfLimits& limits() const { return limits_; }
    const FileSalt& salt() const { return salt_; }

private:
    friend struct ProtectedForm;
    FileKey(SecretBytes keys, const FileSalt& salt, KdfLimits limits)
        : keys_(std::move(keys)), salt_(salt), limits_(limits) {}

    SecretBytes keys_; // the stream key, then the check key
    FileSalt salt_;
    KdfLimits limits_;
};

// A protected file that was cut or changed after it was written, or whose
// header is not one this program writes; refused whole.
class DamagedFileError : public ZilvarenError {
public:
    // fileName: the file as the user knows it.
    explicit DamagedFileError(const QString& fileName)
        : ZilvarenError(QStringLiteral("Dosya bozuk veya değiştirilmiş: ") + fileName) {}
};

// What to tell a user whose password does not open the file.
inline QString wrongPasswordMessage() {
    return QStringLiteral("Parola yanlış.");
}

// Whether a file's first bytes (19 are enough) are those of the protected
// form; a plain record file begins with "0 HEAD".
bool isProtectedRecordFile(QByteArrayView firstBytes);

// A key for a new password, with a new random salt.
FileKey deriveNewFileKey(const SecretBytes& password, KdfLimits limits = kDefaultKdfLimits);

// The key that password gives for a protected file (its header is enough),
// or nullopt when the password is wrong. Throws DamagedFileError naming
// fileName when the header is not well formed or was changed.
std::optional<FileKey> keyForFile(QByteArrayView file, const SecretBytes& password,
                                  const QString& fileName);

// The protected form of a plain record file's bytes; every call seals them
// anew (a new stream header), with the key's salt and limits.
QByteArray protectRecordBytes(QByteArrayView plain, const FileKey& key);

// The plain bytes of a protected file, with the key keyForFile gave for it.
// Throws DamagedFileError naming fileName when any byte was changed, the
// file was cut or has bytes after its end; no part of the plain bytes is
// handed out then.
QByteArray unprotectRecordBytes(QByteArrayView file, const FileKey& key, const QString& fileName);
