// Any bytes as a protected record file: no crash, no hang, and what opens
// seals again to the same plain bytes. Bytes that are not of the protected
// form are sealed as a plain file: they open to themselves, and cut short
// anywhere they are refused.
#include "store/ProtectedFile.h"

#include <QBuffer>

#include <sodium.h>

#include <cstdlib>

namespace {

const QString kName = QStringLiteral("fuzz.qdb");

// The password of the seeds (make_protected_seeds).
const SecretBytes& password() {
    static const SecretBytes typed = SecretBytes::fromText(u"parola");
    return typed;
}

const FileKey& plainFilesKey() {
    static const FileKey key =
        deriveNewFileKey(password(), {crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN});
    return key;
}

QByteArray unprotect(QByteArray file, const FileKey& key) {
    QBuffer in(&file);
    in.open(QIODevice::ReadOnly);
    return unprotectRecordFile(in, key, kName);
}

void openProtected(const QByteArray& file) {
    try {
        const std::optional<FileKey> key = keyForFile(file, password(), kName);
        if (!key)
            return;
        const QByteArray plain = unprotect(file, *key);
        if (unprotect(protectRecordBytes(plain, *key), *key) != plain)
            std::abort();
    } catch (const DamagedFileError&) {
    }
}

void sealPlain(const QByteArray& plain) {
    const QByteArray sealed = protectRecordBytes(plain, plainFilesKey());
    if (unprotect(sealed, plainFilesKey()) != plain)
        std::abort();
    const qsizetype cut =
        plain.isEmpty() ? 0 : (uchar(plain.front()) + 256 * uchar(plain.back())) % sealed.size();
    try {
        unprotect(sealed.first(cut), plainFilesKey());
        std::abort();
    } catch (const DamagedFileError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    if (isProtectedRecordFile(bytes))
        openProtected(bytes);
    else
        sealPlain(bytes);
    return 0;
}
