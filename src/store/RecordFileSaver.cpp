#include "store/RecordFileSaver.h"

#include "platform/FileProblems.h"
#include "platform/SafeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <optional>

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

// The old content under a second, temporary name, made before anything is
// written (a flushed copy where the file system has no hard links). It
// becomes the ".BAK" only once the new content is on the disk, so a failed
// save leaves the backup that was there before.
class PendingBackup {
public:
    explicit PendingBackup(const QString& target)
        : backup_(QFile::encodeName(backupFileName(target))) {
        const QFileInfo info(backupFileName(target));
        const QByteArray stem =
            QFile::encodeName(info.absoluteDir().filePath(QLatin1Char('.') + info.fileName()));
        const QByteArray from = QFile::encodeName(target);
        do
            temporary_ = stem + '.' +
                         QByteArray::number(QRandomGenerator::global()->generate(), 36) + ".tmp";
        while (QFileInfo::exists(QFile::decodeName(temporary_)));
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

void saveRecordFile(const QString& path, const std::function<bool(QIODevice&)>& writeContent) {
    const QString target = saveTargetOf(path);
    if (QFileInfo(target).isDir())
        throw cannotCreate(path, EISDIR);
    std::optional<PendingBackup> backup;
    if (QFileInfo::exists(target))
        backup.emplace(target);
    SafeFile file(target);
    const auto failed = [&path, &file] {
        return ZilvarenError(QStringLiteral("Cannot create file %1\r").arg(path) +
                             file.errorString());
    };
    if (!file.open() || !writeContent(file) || !file.flushToDisk())
        throw failed();
    if (backup)
        backup->keep();
    if (!file.commit())
        throw failed();
}

void saveRecordFile(const QString& path, const QByteArray& content) {
    saveRecordFile(path,
                   [&content](QIODevice& out) { return out.write(content) == content.size(); });
}
