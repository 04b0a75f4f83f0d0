#pragma once

#include "platform/Errors.h"
#include "platform/SecretBytes.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>

#include <array>
#include <memory>
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

// New keys: about half a second on the two-core development machine.
inline constexpr KdfLimits kDefaultKdfLimits{4, quint64(128) << 20};
// The most a file may ask for (about 10 s there). A header asking more is
// damaged: a made-up file must not hold the program for minutes or take
// gigabytes.
inline constexpr KdfLimits kMaxKdfLimits{10, quint64(1) << 30};

// The plain bytes go in pieces of this size, each sealed on its own.
inline constexpr qsizetype kProtectedChunkSize = 64 * 1024;
// The header before the first chunk; all keyForFile needs of a file.
inline constexpr qsizetype kProtectedHeaderSize = 125;

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

// The key that password gives for a protected file whose first bytes (at
// least kProtectedHeaderSize) are given, or nullopt when the password is
// wrong. Throws DamagedFileError naming fileName when the header is not
// well formed, was changed or asks for more than kMaxKdfLimits.
std::optional<FileKey> keyForFile(QByteArrayView firstBytes, const SecretBytes& password,
                                  const QString& fileName);

// Whether password is the one key was made from (asked before the password
// of an open file is changed or taken away, or a locked file opens again).
bool passwordOpens(const FileKey& key, const SecretBytes& password);

// Writes the protected form of what is written to it into out, a chunk
// at a time, so no second copy of the file is made. Every writer seals
// anew (a new stream header) with the key's salt and limits. finish() after
// the last byte; without it the file stays unfinished and will not open.
class ProtectedFileWriter : public QIODevice {
public:
    // Writes the header at once. out and key must outlive the writer.
    ProtectedFileWriter(QIODevice& out, const FileKey& key);
    ~ProtectedFileWriter() override;

    // Seals the last chunk; false when out refused a write (errorString()
    // then says why).
    bool finish();
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool seal(const char* plain, qsizetype size, bool last);

    QIODevice& out_;
    QByteArray header_;
    QByteArray pending_; // plain bytes not sealed yet, at most one chunk
    QByteArray sealed_;
    struct State;
    std::unique_ptr<State> state_;
    bool failed_ = false;
    bool finished_ = false;
};

// The protected form of a plain record file's bytes, whole.
QByteArray protectRecordBytes(QByteArrayView plain, const FileKey& key);

// The plain bytes of the protected file in (read from its first byte to
// its end), with the key keyForFile gave for its header. Throws
// DamagedFileError naming fileName when any byte was changed, the file was
// cut or has bytes after its end (no part of the plain bytes is handed
// out then), and RecordFileError when in cannot be read.
QByteArray unprotectRecordFile(QIODevice& in, const FileKey& key, const QString& fileName);
