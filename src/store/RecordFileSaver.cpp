#include "store/RecordFileSaver.h"

#include "platform/FileProblems.h"
#include "platform/SafeFile.h"
#include "platform/TemporaryFiles.h"
#include "store/ProtectedFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

ZilvarenError backupFailed(int error) {
    return ZilvarenError(QStringLiteral("Unable to create backup file.\r") + systemReason(error));
}

ZilvarenError cannotCreate(const QString& path, const QString& reason) {
    return ZilvarenError(QStringLiteral("Cannot create file %1\r").arg(path) + reason);
}

bool syncPath(const QByteArray& path, int flags) {
    const int fd = ::open(path.constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// The old content under a second, temporary name (a flushed copy where
// the file system has no hard links), made once the new content is on the
// disk: it becomes the ".BAK" just before the new file takes the name, so
// a failed save leaves the backup that was there before.
class PendingBackup {
public:
    explicit PendingBackup(const QString& target)
        : backup_(QFile::encodeName(backupFileName(target))) {
        removeLeftoverTemporaries(backupFileName(target));
        temporary_ = newTemporaryName(backupFileName(target));
        const QByteArray from = QFile::encodeName(target);
        if (::link(from.constData(), temporary_.constData()) == 0)
            return;
        const int linkError = errno;
        if (linkError != EPERM && linkError != EXDEV && linkError != EOPNOTSUPP &&
            linkError != EMLINK)
            fail(linkError);
        errno = 0;
        if (!QFile::copy(target, QFile::decodeName(temporary_)) || !syncPath(temporary_, O_RDONLY))
            fail(errno ? errno : linkError);
    }
    ~PendingBackup() {
        if (!temporary_.isEmpty())
            ::unlink(temporary_.constData());
    }
    PendingBackup(const PendingBackup&) = delete;
    PendingBackup& operator=(const PendingBackup&) = delete;

    void keep() {
        if (::rename(temporary_.constData(), backup_.constData()) != 0)
            fail(errno);
        temporary_.clear();
    }

private:
    [[noreturn]] void fail(int error) {
        ::unlink(temporary_.constData());
        temporary_.clear();
        throw backupFailed(error);
    }

    QByteArray backup_;
    QByteArray temporary_;
};

bool isPlainFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) && file.size() > 0 &&
           !isProtectedRecordFile(file.peek(kProtectedHeaderSize));
}

// The first protected save of a file: its backup, the plain file it was,
// is protected too, or goes when it cannot be.
void protectBackup(const QString& backup, const FileKey& key) {
    QFile file(backup);
    try {
        if (!file.open(QIODevice::ReadOnly))
            throw ZilvarenError(file.errorString());
        const QByteArray plain = file.readAll();
        file.close();
        writeFileSafely(backup, protectRecordBytes(plain, key), QStringLiteral("%1"));
    } catch (const ZilvarenError&) {
        QFile::remove(backup);
    }
}

} // namespace

QString backupFileName(const QString& path) {
    if (QFileInfo(path).suffix().compare(QStringLiteral("BAK"), Qt::CaseInsensitive) == 0)
        return path + QStringLiteral(".BAK");
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype separator =
        std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QDir::separator()));
    if (dot > separator && dot >= 0)
        return path.left(dot) + QStringLiteral(".BAK");
    return path + QStringLiteral(".BAK");
}

QString recoveryFileName(const QString& path) {
    const QFileInfo info(saveTargetOf(path));
    return info.absoluteDir().filePath(info.completeBaseName() + QStringLiteral(".kurtarma.qdb"));
}

QString saveTargetOf(const QString& path) {
    QFileInfo info(path);
    if (!info.isSymLink())
        return path;
    const QString resolved = info.canonicalFilePath();
    // A dangling link still names where its file is to be.
    return resolved.isEmpty() ? info.symLinkTarget() : resolved;
}

void saveRecordFile(const QString& path, const std::function<bool(QIODevice&)>& writeContent,
                    const FileKey* key) {
    if (key) {
        const QString backup = backupFileName(saveTargetOf(path));
        const bool wasPlain = isPlainFile(saveTargetOf(path));
        saveRecordFile(path, [&](QIODevice& out) {
            // A refusal of out leaves its reason in out.
            ProtectedFileWriter sealed(out, *key);
            return writeContent(sealed) && sealed.finish();
        });
        if (wasPlain)
            protectBackup(backup, *key);
        return;
    }
    const QString target = saveTargetOf(path);
    if (QFileInfo(target).isDir())
        throw cannotCreate(path, systemReason(EISDIR));
    SafeFile file(target);
    const auto failed = [&path, &file] { return cannotCreate(path, file.errorString()); };
    if (!file.open() || !writeContent(file) || !file.flushToDisk())
        throw failed();
    if (QFileInfo::exists(target))
        PendingBackup(target).keep();
    if (!file.commit())
        throw failed();
}

void saveRecordFile(const QString& path, const QByteArray& content, const FileKey* key) {
    saveRecordFile(
        path, [&content](QIODevice& out) { return out.write(content) == content.size(); }, key);
}
