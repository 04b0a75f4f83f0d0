#include "store/ProtectedFile.h"

#include "platform/Allocator.h"
#include "store/RecordFileReader.h"

#include <QBuffer>
#include <QFileDevice>
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
static_assert(kDigestAt + kDigestSize == kProtectedHeaderSize);

constexpr qsizetype kSealSize = crypto_secretstream_xchacha20poly1305_ABYTES;
constexpr qsizetype kSealedChunkSize = kProtectedChunkSize + kSealSize;

constexpr std::size_t kKeySize = 32;
constexpr char kKdfContext[crypto_kdf_CONTEXTBYTES + 1] = "ZLVRFILE";
constexpr quint64 kStreamKeyId = 1;
constexpr quint64 kCheckKeyId = 2;

static_assert(kFileSaltSize == crypto_pwhash_SALTBYTES);
static_assert(kKeySize == crypto_secretstream_xchacha20poly1305_KEYBYTES);
static_assert(kKeySize == crypto_kdf_KEYBYTES);

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

void computeDigest(unsigned char* out, QByteArrayView header) {
    crypto_generichash(out, kDigestSize, bytes(header), kDigestAt, nullptr, 0);
}

void computeCheck(unsigned char* out, QByteArrayView header, const unsigned char* checkKey) {
    crypto_generichash(out, kCheckSize, bytes(header), kCheckAt, checkKey, kKeySize);
}

// The limits of a header this program writes, unchanged since (the digest
// catches damage before any key is made).
std::optional<KdfLimits> wellFormedHeader(QByteArrayView firstBytes) {
    if (firstBytes.size() < kProtectedHeaderSize ||
        !firstBytes.startsWith(QByteArrayView(kMagic, kMagicSize)))
        return std::nullopt;
    unsigned char digest[kDigestSize];
    computeDigest(digest, firstBytes);
    if (sodium_memcmp(digest, bytes(firstBytes, kDigestAt), sizeof digest) != 0)
        return std::nullopt;
    const KdfLimits limits{qFromLittleEndian<quint64>(firstBytes.data() + kOpsAt),
                           qFromLittleEndian<quint64>(firstBytes.data() + kMemAt)};
    if (!allowed(limits))
        return std::nullopt;
    return limits;
}

// The stream's state holds the key: wiped however the work ends.
struct StreamState {
    crypto_secretstream_xchacha20poly1305_state stream;
    ~StreamState() { sodium_memzero(&stream, sizeof stream); }
};

// Reads up to size bytes (fewer only at the end); throws when in fails.
qsizetype readPiece(QIODevice& in, char* into, qsizetype size, const QString& fileName) {
    qsizetype got = 0;
    while (got < size) {
        const qint64 n = in.read(into + got, size - got);
        if (n < 0)
            throw RecordFileError(
                QStringLiteral("\"%1\" dosyası okunamadı.\r%2").arg(fileName, in.errorString()));
        if (n == 0)
            break;
        got += qsizetype(n);
    }
    return got;
}

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

struct ProtectedFileWriter::State : StreamState {};

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

std::optional<FileKey> keyForFile(QByteArrayView firstBytes, const SecretBytes& password,
                                  const QString& fileName) {
    ensureSodiumReady();
    const std::optional<KdfLimits> limits = wellFormedHeader(firstBytes);
    if (!limits)
        throw DamagedFileError(fileName);
    FileSalt salt;
    std::copy_n(bytes(firstBytes, kSaltAt), salt.size(), salt.begin());
    FileKey key = ProtectedForm::derive(password, salt, *limits);
    unsigned char check[kCheckSize];
    {
        const auto keys = ProtectedForm::keys(key).read();
        computeCheck(check, firstBytes, keys.data() + kKeySize);
    }
    if (crypto_verify_32(check, bytes(firstBytes, kCheckAt)) != 0)
        return std::nullopt;
    return key;
}

bool passwordOpens(const FileKey& key, const SecretBytes& password) {
    ensureSodiumReady();
    const FileKey again = ProtectedForm::derive(password, key.salt(), key.limits());
    const auto a = ProtectedForm::keys(key).read();
    const auto b = ProtectedForm::keys(again).read();
    return a.size() == b.size() && sodium_memcmp(a.data(), b.data(), a.size()) == 0;
}

ProtectedFileWriter::ProtectedFileWriter(QIODevice& out, const FileKey& key)
    : out_(out), header_(kProtectedHeaderSize, Qt::Uninitialized),
      sealed_(kSealedChunkSize, Qt::Uninitialized), state_(std::make_unique<State>()) {
    open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    pending_.reserve(kProtectedChunkSize);
    std::copy_n(kMagic, kMagicSize, header_.data());
    qToLittleEndian(key.limits().opsLimit, header_.data() + kOpsAt);
    qToLittleEndian(key.limits().memLimit, header_.data() + kMemAt);
    std::copy_n(key.salt().data(), key.salt().size(), bytes(header_, kSaltAt));
    {
        const auto keys = ProtectedForm::keys(key).read();
        crypto_secretstream_xchacha20poly1305_init_push(
            &state_->stream, bytes(header_, kStreamHeaderAt), keys.data());
        computeCheck(bytes(header_, kCheckAt), header_, keys.data() + kKeySize);
    }
    computeDigest(bytes(header_, kDigestAt), header_);
    if (out_.write(header_) != header_.size()) {
        failed_ = true;
        setErrorString(out_.errorString());
    }
}

ProtectedFileWriter::~ProtectedFileWriter() {
    sodium_memzero(pending_.data(), std::size_t(pending_.size()));
}

qint64 ProtectedFileWriter::writeData(const char* data, qint64 size) {
    if (failed_ || finished_)
        return -1;
    qsizetype left = qsizetype(size);
    while (left > 0) {
        // A full chunk is sealed only once more follows: the last chunk,
        // full or not, carries the final tag.
        if (pending_.size() == kProtectedChunkSize) {
            if (!seal(pending_.constData(), pending_.size(), false))
                return -1;
            pending_.truncate(0);
        }
        if (pending_.isEmpty() && left > kProtectedChunkSize) {
            if (!seal(data, kProtectedChunkSize, false))
                return -1;
            data += kProtectedChunkSize;
            left -= kProtectedChunkSize;
            continue;
        }
        const qsizetype take = std::min(left, kProtectedChunkSize - pending_.size());
        pending_.append(data, take);
        data += take;
        left -= take;
    }
    return size;
}

bool ProtectedFileWriter::finish() {
    if (failed_ || finished_)
        return false;
    finished_ = true;
    return seal(pending_.constData(), pending_.size(), true);
}

bool ProtectedFileWriter::seal(const char* plain, qsizetype size, bool last) {
    // Every chunk carries the whole header as additional data.
    crypto_secretstream_xchacha20poly1305_push(
        &state_->stream, bytes(sealed_), nullptr, reinterpret_cast<const unsigned char*>(plain),
        std::size_t(size), bytes(header_), kProtectedHeaderSize,
        last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
             : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE);
    if (out_.write(sealed_.constData(), size + kSealSize) == size + kSealSize)
        return true;
    failed_ = true;
    setErrorString(out_.errorString());
    return false;
}

QByteArray protectRecordBytes(QByteArrayView plain, const FileKey& key) {
    const qsizetype chunks =
        std::max<qsizetype>(1, (plain.size() + kProtectedChunkSize - 1) / kProtectedChunkSize);
    QByteArray file;
    reserveLargeBuffer(file, kProtectedHeaderSize + plain.size() + chunks * kSealSize);
    QBuffer buffer(&file);
    buffer.open(QIODevice::WriteOnly);
    ProtectedFileWriter writer(buffer, key);
    writer.write(plain.data(), plain.size());
    writer.finish();
    return file;
}

QByteArray unprotectRecordFile(QIODevice& in, const FileKey& key, const QString& fileName) {
    QByteArray header(kProtectedHeaderSize, Qt::Uninitialized);
    if (readPiece(in, header.data(), header.size(), fileName) < header.size() ||
        !header.startsWith(QByteArrayView(kMagic, kMagicSize)))
        throw DamagedFileError(fileName);

    StreamState state;
    {
        const auto keys = ProtectedForm::keys(key).read();
        crypto_secretstream_xchacha20poly1305_init_pull(
            &state.stream, bytes(header, kStreamHeaderAt), keys.data());
    }
    QByteArray plain;
    if (!in.isSequential())
        reserveLargeBuffer(plain, in.size() - in.pos());
    // A chunk is the last when nothing follows it, so the next one is read
    // before it is opened.
    QByteArray chunk(kSealedChunkSize, Qt::Uninitialized);
    QByteArray next(kSealedChunkSize, Qt::Uninitialized);
    try {
        qsizetype chunkSize = readPiece(in, chunk.data(), chunk.size(), fileName);
        for (;;) {
            const qsizetype nextSize = chunkSize < kSealedChunkSize
                                           ? 0
                                           : readPiece(in, next.data(), next.size(), fileName);
            const bool last = nextSize == 0;
            if (chunkSize < kSealSize)
                throw DamagedFileError(fileName);
            const qsizetype at = plain.size();
            plain.resize(at + chunkSize - kSealSize);
            unsigned char tag = 0;
            if (crypto_secretstream_xchacha20poly1305_pull(
                    &state.stream, bytes(plain, at), nullptr, &tag, bytes(chunk),
                    std::size_t(chunkSize), bytes(header), kProtectedHeaderSize) != 0 ||
                tag != (last ? crypto_secretstream_xchacha20poly1305_TAG_FINAL
                             : crypto_secretstream_xchacha20poly1305_TAG_MESSAGE))
                throw DamagedFileError(fileName);
            if (last)
                return plain;
            chunk.swap(next);
            chunkSize = nextSize;
        }
    } catch (...) {
        // What was opened before the fault is never handed out, nor left.
        sodium_memzero(plain.data(), std::size_t(plain.size()));
        throw;
    }
}
