#include "platform/SafeFile.h"

#include "platform/Errors.h"
#include "platform/FileProblems.h"
#include "platform/TemporaryFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qsizetype kBufferSize = 1 << 20;

} // namespace

SafeFile::SafeFile(QString path) : path_(std::move(path)) {}

SafeFile::~SafeFile() {
    cancel();
}

bool SafeFile::open(OpenMode) {
    // The owner made the file read-only: the rename would pass over that.
    if (const auto reason = writeProtectionOf(path_)) {
        failed_ = true;
        setErrorString(*reason);
        return false;
    }
    removeLeftoverTemporaries(path_);
    const QFileInfo target(path_);
    // A file without a name until it is whole: a save killed on the way
    // leaves nothing behind. Where the file system cannot, a named one.
    fd_ = ::open(QFile::encodeName(target.absolutePath()).constData(),
                 O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    for (int attempt = 0; fd_ < 0; ++attempt) {
        temporary_ = newTemporaryName(path_);
        fd_ = ::open(temporary_.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && (errno != EEXIST || attempt == 20)) {
            temporary_.clear();
            return fail(QStringLiteral("Geçici dosya oluşturulamadı"), errno);
        }
    }
    // The new file keeps the permissions of the one it replaces.
    struct stat st {};
    if (::stat(QFile::encodeName(path_).constData(), &st) == 0)
        (void)::fchmod(fd_, st.st_mode & 07777);
    buffer_.reserve(kBufferSize);
    return QIODevice::open(WriteOnly | Unbuffered);
}

qint64 SafeFile::writeData(const char* data, qint64 size) {
    if (failed_ || fd_ < 0 || flushed_)
        return -1; // failed, or flushed to the disk already
    if (buffer_.size() + size > kBufferSize && !flushBuffer())
        return -1;
    // A large piece goes straight to the file, not through the buffer.
    if (size >= kBufferSize)
        return writeAll(data, qsizetype(size)) ? size : -1;
    buffer_.append(data, qsizetype(size));
    return size;
}

bool SafeFile::flushBuffer() {
    if (!writeAll(buffer_.constData(), buffer_.size()))
        return false;
    buffer_.truncate(0);
    return true;
}

bool SafeFile::writeAll(const char* data, qsizetype left) {
    // The disk starts on what was written while the rest is made: the
    // flush at the end then waits for the last piece only.
    const qsizetype size = left;
    while (left > 0) {
        const ssize_t n = ::write(fd_, data, size_t(left));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(QStringLiteral("Dosyaya yazılamadı"), n < 0 ? errno : ENOSPC);
        data += n;
        left -= n;
    }
    (void)::sync_file_range(fd_, written_, size, SYNC_FILE_RANGE_WRITE);
    written_ += size;
    return true;
}

bool SafeFile::fail(const QString& step, int error) {
    failed_ = true;
    setErrorString(step + QStringLiteral(": ") + systemReason(error));
    removeTemporary();
    return false;
}

void SafeFile::removeTemporary() {
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
    if (!temporary_.isEmpty())
        ::unlink(temporary_.constData());
    temporary_.clear();
    buffer_.clear();
    if (isOpen())
        QIODevice::close();
}

void SafeFile::cancel() {
    removeTemporary();
}

bool SafeFile::flushToDisk() {
    if (failed_ || fd_ < 0)
        return false;
    if (flushed_)
        return true;
    if (!flushBuffer())
        return false;
    if (::fdatasync(fd_) != 0)
        return fail(QStringLiteral("Dosya diske aktarılamadı"), errno);
    flushed_ = true;
    return true;
}

bool SafeFile::commit() {
    if (!flushToDisk())
        return false;
    if (temporary_.isEmpty()) {
        // The nameless file gets a name of its own beside the target; the
        // rename below then replaces the target in one step.
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(fd_);
        for (int attempt = 0; temporary_.isEmpty(); ++attempt) {
            temporary_ = newTemporaryName(path_);
            if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, temporary_.constData(),
                         AT_SYMLINK_FOLLOW) == 0)
                break;
            const int error = errno;
            temporary_.clear();
            if (error != EEXIST || attempt == 20)
                return fail(QStringLiteral("Yeni dosyaya isim verilemedi"), error);
        }
    }
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0)
        return fail(QStringLiteral("Dosya kapatılamadı"), errno);
    if (::rename(temporary_.constData(), QFile::encodeName(path_).constData()) != 0)
        return fail(QStringLiteral("Yeni dosya eskisinin yerine konamadı"), errno);
    temporary_.clear();
    QIODevice::close();
    // The rename itself reaches the disk with the folder. A file system
    // that cannot flush a folder says so with EINVAL; only a failing disk
    // is worth a message.
    const QByteArray folder = QFile::encodeName(QFileInfo(path_).absolutePath());
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        const bool synced = ::fsync(dir) == 0 || errno != EIO;
        ::close(dir);
        if (!synced)
            return fail(QStringLiteral("Klasör diske aktarılamadı"), EIO);
    }
    return true;
}

ZilvarenError SafeFile::error(const QString& failure) const {
    return ZilvarenError(failure.arg(QDir::toNativeSeparators(path_)) + QLatin1Char('\r') +
                         errorString());
}

void writeFileSafely(const QString& path, const QByteArray& content, const QString& failure) {
    SafeFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() || !file.commit())
        throw file.error(failure);
}
