#include "store/RecordFileLock.h"

#include "store/RecordFileSaver.h"

#include "platform/FileProblems.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>

#include <cerrno>
#include <sys/statvfs.h>

RecordFileLock::RecordFileLock(std::unique_ptr<QLockFile> file, QString problem)
    : file_(std::move(file)), problem_(std::move(problem)) {}

namespace {

// QLockFile tells no reason when it cannot write the lock; a full disk is
// the usual one.
QString lockWriteProblem(const QString& lockFile) {
    struct statvfs fs {};
    const QByteArray folder = QFile::encodeName(QFileInfo(lockFile).absolutePath());
    const bool full = ::statvfs(folder.constData(), &fs) == 0 && fs.f_bavail == 0;
    return systemReason(full ? ENOSPC : EIO);
}

} // namespace
RecordFileLock::~RecordFileLock() = default;

QString RecordFileLock::lockFileName(const QString& path) {
    const QFileInfo info(saveTargetOf(path));
    return info.absoluteDir().filePath(QLatin1Char('.') + info.fileName() +
                                       QStringLiteral(".lock"));
}

std::unique_ptr<RecordFileLock> RecordFileLock::take(const QString& path, Holder* holder) {
    auto file = std::make_unique<QLockFile>(lockFileName(path));
    // Only a dead holder makes a lock stale, never its age: a file may
    // stay open all day.
    file->setStaleLockTime(0);
    if (file->tryLock(0))
        return std::unique_ptr<RecordFileLock>(new RecordFileLock(std::move(file)));
    if (file->error() == QLockFile::UnknownError)
        return std::unique_ptr<RecordFileLock>(
            new RecordFileLock(nullptr, lockWriteProblem(lockFileName(path))));
    if (file->error() != QLockFile::LockFailedError)
        return std::unique_ptr<RecordFileLock>(new RecordFileLock(nullptr));
    qint64 pid = 0;
    QString host, application;
    file->getLockInfo(&pid, &host, &application);
    holder->host = host;
    holder->user = QFileInfo(lockFileName(path)).owner();
    return nullptr;
}
