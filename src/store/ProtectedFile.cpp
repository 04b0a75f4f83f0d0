#include "store/ProtectedFile.h"

#include <QtEndian>

#include <sodium.h>

#include <algorithm>
#include <new>

namespace {

// The header: the line, then the fields of its version at fixed places.
// The line's words stay; its digit is the version.
constexpr char kFormWords[] = "ZILVAREN-PROTECTED ";
constexpr char kMagic[] = "ZILVAREN-PROTECTED 1\n";
constexpr qsizetype kMagicSize = sizeof kMagic - 1;
constexpr qsizetype kOpsAt = kMagicSize;
constexpr qsizetype kMemAt = kOpsAt + 8;
constexpr qsizetype kSaltAt = kMemAt + 8;
constexpr qsizetype kStreamHeaderAt = kSaltAt + qsizetype(kFileSaltSize);
constexpr qsizetype kCheckAt = kStreamHeaderAt + crypto_secretstream_xchacha20poly1305_HEADERBYTES;
constexpr qsizetype kCheckSize = 32;
constexpr qsizetype kDigestAt = kCheckAt + kCheckSize;
constexpr qsizetype kDigestSize = 16;
constexpr qsizetype kHeaderSize = kDigestAt + kDigestSize;

constexpr qsizetype kSealSize = crypto_secretstream_xchacha20poly1305_ABYTES;
constexpr qsizetype kSealedChunkSize = kProtectedChunkSize + kSealSize;

constexpr std::size_t kKeySize = 32;
constexpr char kKdfContext[crypto_kdf_CONTEXTBYTES + 1] = "ZLVRFILE";
constexpr quint64 kStreamKeyId = 1;
constexpr quint64 kCheckKeyId = 2;

static_assert(kFileSaltSize == crypto_pwhash_SALTBYTES);
static_assert(kKeySize == crypto_secretstream_xchacha20poly1305_KEYBYTES);
static_assert(kKeySize == crypto_kdf_KEYBYTES);
static_assert(kHeaderSize == 125);

const unsigned char* bytes(QByteArrayView view, qsizetype at = 0) {
    return reinterpret_cast<const unsigned char*>(view.data()) + at;
}

unsigned char* bytes(QByteArray& array, qsizetype at = 0) {
    return reinterpret_cast<unsigned char*>(array.data()) + at;
}

bool allowed(const KdfLimits& limits) {
    return limits.opsLimit >= crypto_pwhash_OPSLIMIT_MIN &&
           limits.opsLimit <= kMaxKdfLimits.opsLimit &&
           limits.memLimit >= crypto_pwhash_MEMLIMIT_MIN &&
           limits.memLimit <= kMaxKdfLimits.memLimit;
}

// The header of a file, when it is one this program writes and unchanged
// since (the digest catches damage before any key is made).
std::optional<KdfLimits> wellFormedHeader(QByteArrayView file) {
    if (file.size() < kHeaderSize || !file.startsWith(QByteArrayView(kMagic, kMagicSize)))
        return std::nullopt;
    unsigned char digest[kDigestSize];
    crypto_generichash(digest, sizeof digest, bytes(file), kDigestAt, nullptr, 0);
    if (sodium_memcmp(digest, bytes(file, kDigestAt), sizeof digest) != 0)
        return std::nullopt;
    const KdfLimits limits{qFromLittleEndian<quint64>(file.data() + kOpsAt),
                           qFromLittleEndian<quint64>(file.data() + kMemAt)};
    if (!allowed(limits))
        return std::nullopt;
    return limits;
}

void computeCheck(unsigned char* out, QByteArrayView header, const unsigned char* checkKey) {
    crypto_generichash(out, kCheckSize, bytes(header), kCheckAt, checkKey, kKeySize);
}

// Wipes the stream's state, which holds the key, however the work ends.
struct StreamState {
    crypto_secretstream_xchacha20poly1305_state state;
    ~StreamState() { sodium_memzero(&state, sizeof state); }
};

} // namespace

struct ProtectedForm {
    static FileKey derive(const SecretBytes& password, const FileSalt& salt, KdfLimits limits) {
        const SecretBytes master(kKeySize, [&](unsigned char* out) {
            const auto typed = password.read();
            if (crypto_pwhash(out, kKeySize, reinterpret_cast<const char*>(typed.data()),
                              typed.size(), salt.data(), limits.opsLimit,
                              std::size_t(limits.memLimit), crypto_pwhash_ALG_ARGON2ID13) != 0)
                throw std::bad_alloc(); // the only way it fails within the limits
            return kKeySize;
        });
        SecretBytes keys(2 * kKeySize, [&](unsigned char* out) {
            const auto m = master.read();
            crypto_kdf_derive_from_key(out, kKeySize, kStreamKeyId, kKdfContext, m.data());
            crypto_kdf_derive_from_key(out + kKeySize, kKeySize, kCheckKeyId, kKdfContext,
                                       m.data());
            return 2 * kKeySize;
        });
        return FileKey(std::move(keys), salt, limits);
    }

    static const SecretBytes& keys(const FileKey& key) { return key.keys_; }
};

bool isProtectedRecordFile(QByteArrayView firstBytes) {
    return firstBytes.startsWith(QByteArrayView(kFormWords, sizeof kFormWords - 1));
}

FileKey deriveNewFileKey(const SecretBytes& password, KdfLimits limits) {
    Q_ASSERT(allowed(limits));
    ensureSodiumReady();
    FileSalt salt;
    randombytes_buf(salt.data(), salt.size());
    return ProtectedForm::derive(password, salt, limits);
}

std::optional<FileKey> keyForFile(QByteArrayView file, const SecretBytes& password,
                                  const QString& fileName) {
    ensureSodiumReady();
    const std::optional<KdfLimits> limits = wellFormedHeader(file);
    if (!limits)
        throw DamagedFileError(fileName);
    FileSalt salt;
    std::copy_n(bytes(file, kSaltAt), salt.size(), salt.begin());
    FileKey key = ProtectedForm::derive(password, salt, *limits);
    unsigned char check[kCheckSize];
    {
        const auto keys = ProtectedForm::keys(key).read();
        computeCheck(check, file, keys.data() + kKeySize);
    }
    if (crypto_verify_32(check, bytes(file, kCheckAt)) != 0)
        return std::nullopt;
    return key;
}

QByteArray protectRecordBytes(QByteArrayView plain, const FileKey& key) {
    ensureSodiumReady();
    const qsizetype chunks =
        std::max<qsizetype>(1, (plain.size() + kProtectedChunkSize - 1) / kProtectedChunkSize);
    QByteArray file(kHeaderSize + plain.size() + chunks * kSealSize, Qt::Uninitialized);
    std::copy_n(kMagic, kMagicSize, file.data());
    qToLittleEndian(key.limits().opsLimit, file.data() + kOpsAt);
    qToLittleEndian(key.limits().memLimit, file.data() + kMemAt);
    std::copy_n(key.salt().data(), key.salt().size(), bytes(file, kSaltAt));
    StreamState stream;
    {
        const auto keys = ProtectedForm::keys(key).read();
        crypto_secretstream_xchacha20poly1305_init_push(&stream.state, bytes(file, kStreamHeaderAt),
                                                        keys.data());
        computeCheck(bytes(file, kCheckAt), file, keys.data() + kKeySize);
    }
    crypto_generichash(bytes(file, kDigestAt), kDigestSize, bytes(file), kDigestAt, nullptr, 0);

    // Every chunk carries the whole header as additional data.
    const QByteArrayView header(file.constData(), kHeaderSize);
    qsizetype at = kHeaderSize;
    for (qsizetype i = 0; i < chunks; ++i) {
        const QByteArrayView piece =
            plain.sliced(i * kProtectedChunkSize,
                         std::min(kProtectedChunkSize, plain.size() - i * kProtectedChunkSize));
        const unsigned char tag = i + 1 == chunks
                                      ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                                      : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE;
        crypto_secretstream_xchacha20poly1305_push(&stream.state, bytes(file, at), nullptr,
                                                   bytes(piece), std::size_t(piece.size()),
                                                   bytes(header), kHeaderSize, tag);
        at += piece.size() + kSealSize;
    }
    return file;
}

QByteArray unprotectRecordBytes(QByteArrayView file, const FileKey& key, const QString& fileName) {
    ensureSodiumReady();
    if (file.size() < kHeaderSize + kSealSize ||
        !file.startsWith(QByteArrayView(kMagic, kMagicSize)))
        throw DamagedFileError(fileName);
    const qsizetype body = file.size() - kHeaderSize;
    const qsizetype chunks = (body + kSealedChunkSize - 1) / kSealedChunkSize;
    if (body - (chunks - 1) * kSealedChunkSize < kSealSize)
        throw DamagedFileError(fileName);

    QByteArray plain(body - chunks * kSealSize, Qt::Uninitialized);
    StreamState stream;
    {
        const auto keys = ProtectedForm::keys(key).read();
        crypto_secretstream_xchacha20poly1305_init_pull(&stream.state, bytes(file, kStreamHeaderAt),
                                                        keys.data());
    }
    const QByteArrayView header = file.first(kHeaderSize);
    qsizetype at = kHeaderSize;
    for (qsizetype i = 0; i < chunks; ++i) {
        const qsizetype sealed = std::min(kSealedChunkSize, file.size() - at);
        unsigned char tag = 0;
        const bool last = i + 1 == chunks;
        if (crypto_secretstream_xchacha20poly1305_pull(
                &stream.state, bytes(plain, i * kProtectedChunkSize), nullptr, &tag,
                bytes(file, at), std::size_t(sealed), bytes(header), kHeaderSize) != 0 ||
            tag != (last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                         : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE)) {
            sodium_memzero(plain.data(), std::size_t(plain.size()));
            throw DamagedFileError(fileName);
        }
        at += sealed;
    }
    return plain;
}
