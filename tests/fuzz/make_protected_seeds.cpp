// Writes the seeds of fuzz_protected_reader into a folder: an empty record
// file and the record seed, protected with the fuzzer's password and the
// cheapest key derivation (so that each run of the fuzzer stays quick).
//   make_protected_seeds tests/fuzz/corpus/record/sample.qdb tests/fuzz/corpus/protected
#include "store/ProtectedFile.h"

#include <QDir>
#include <QFile>

#include <sodium.h>

#include <cstdio>

namespace {

bool write(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_protected_seeds PLAIN.qdb FOLDER\n");
        return 2;
    }
    QFile plain(QFile::decodeName(argv[1]));
    if (!plain.open(QIODevice::ReadOnly))
        return 1;
    const QDir folder(QFile::decodeName(argv[2]));
    const FileKey key = deriveNewFileKey(SecretBytes::fromText(u"parola"),
                                         {crypto_pwhash_OPSLIMIT_MIN, crypto_pwhash_MEMLIMIT_MIN});
    const bool written =
        write(folder.filePath(QStringLiteral("empty.qdb")), protectRecordBytes({}, key)) &&
        write(folder.filePath(QStringLiteral("sample.qdb")),
              protectRecordBytes(plain.readAll(), key));
    return written ? 0 : 1;
}
