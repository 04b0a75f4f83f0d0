#include "store/RecordFileSaver.h"

#include "platform/FileProblems.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace {

ZilvarenError backupFailed(int error) {
    return ZilvarenError(QStringLiteral("Unable to create backup file.\r") + systemReason(error));
}

ZilvarenError cannotCreate(const QString& path, int error) {
    return ZilvarenError(QStringLiteral("Cannot create file %1\r").arg(path) + systemReason(error));
}

bool syncPath(const QByteArray& path, int flags) {
    const int fd = ::open(path.constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

// The old content gets its second name before anything is written; where
// the file system has no hard links, a flushed copy stands in.
void keepBackup(const QString& target) {
    const QByteArray from = QFile::encodeName(target);
    const QByteArray to = QFile::encodeName(backupFileName(target));
    if (::unlink(to.constData()) != 0 && errno != ENOENT)
        throw backupFailed(errno);
    if (::link(from.constData(), to.constData()) == 0)
        return;
    const int linkError = errno;
    if (linkError != EPERM && linkError != EXDEV && linkError != EOPNOTSUPP && linkError != EMLINK)
        throw backupFailed(linkError);
    if (!QFile::copy(target, backupFileName(target)) || !syncPath(to, O_RDONLY))
        throw backupFailed(errno ? errno : linkError);
}

} // namespace

QString backupFileName(const QString& path) {
    if (QFileInfo(path).suffix().compare(QStringLiteral("BAK"), Qt::CaseInsensitive) == 0)
        return path + QStringLiteral(".BAK");
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype separator = std::max(path.lastIndexOf(QLatin1Char('/')),
                                         path.lastIndexOf(QDir::separator()));
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

void saveRecordFile(const QString& path, const QByteArray& content) {
    const QString target = saveTargetOf(path);
    if (QFileInfo(target).isDir())
        throw cannotCreate(path, EISDIR);
    if (QFileInfo::exists(target))
        keepBackup(target);

    QSaveFile file(target);
    // The new content must never go through the old file's name.
    file.setDirectWriteFallback(false);
    errno = 0;
    if (!file.open(QIODevice::WriteOnly))
        throw cannotCreate(path, errno ? errno : EACCES);
    if (file.write(content) != content.size()) {
        const int error = errno ? errno : EIO;
        file.cancelWriting();
        throw cannotCreate(path, error);
    }
    // commit() flushes the new file to the disk before renaming it.
    if (!file.commit())
        throw cannotCreate(path, errno ? errno : EIO);
    syncPath(QFile::encodeName(QFileInfo(target).absolutePath()), O_RDONLY | O_DIRECTORY);
}
