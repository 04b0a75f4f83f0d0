// Reading a record file from its path, plain or protected.
#include "store/RecordFileReader.h"

#include "platform/FileProblems.h"
#include "store/ProtectedFile.h"

#include <QBuffer>
#include <QFile>

namespace {

PasswordSource& defaultPasswordSource() {
    static PasswordSource source;
    return source;
}

// The key a password gives for a protected file, asked until one does.
std::shared_ptr<const FileKey> keyOf(QIODevice& file, const QString& path,
                                     const PasswordSource& source) {
    const PasswordSource& password = source ? source : defaultPasswordSource();
    const QByteArray header = file.peek(kProtectedHeaderSize);
    for (bool again = false;; again = true) {
        std::optional<SecretBytes> given = password ? password(path, again) : std::nullopt;
        if (!given)
            throw PasswordNotGiven();
        if (std::optional<FileKey> key = keyForFile(header, *given, path))
            return std::make_shared<const FileKey>(std::move(*key));
    }
}

template <typename Read>
RecordFileData readFile(const QString& path, const PasswordSource& password, Read&& read) {
    QFile file(path);
    if (const auto reason = openToRead(file))
        throw RecordFileError(QStringLiteral("\"%1\" dosyası okunamadı.\r%2").arg(path, *reason));
    if (!isProtectedRecordFile(file.peek(kProtectedHeaderSize)))
        return read(file);
    std::shared_ptr<const FileKey> key = keyOf(file, path, password);
    QByteArray plain = unprotectRecordFile(file, *key, path);
    QBuffer buffer(&plain);
    buffer.open(QIODevice::ReadOnly);
    RecordFileData data = read(buffer);
    data.key = std::move(key);
    return data;
}

} // namespace

void setDefaultPasswordSource(PasswordSource source) {
    defaultPasswordSource() = std::move(source);
}

RecordFileData readRecordFile(const QString& path, const PasswordSource& password) {
    return readFile(path, password, [](QIODevice& file) { return readRecordFile(file); });
}

RecordFileData readRecordFile(const QString& path, const PersonVisitor& visit,
                              const PasswordSource& password) {
    return readFile(path, password,
                    [&visit](QIODevice& file) { return readRecordFile(file, visit); });
}
