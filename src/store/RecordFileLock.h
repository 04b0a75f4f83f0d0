#pragma once

#include <QString>

#include <memory>

class QLockFile;

// The lock kept beside a record file while a window has it open, so a
// second copy of the program (an office's shared folder) does not
// overwrite the first one's work. A lock left by a process that died is
// taken over.
class RecordFileLock {
public:
    // Who holds a lock, as the lock file records it.
    struct Holder {
        QString user;
        QString host;
    };

    ~RecordFileLock();

    // Locks path (a link's target). nullptr when another process holds the
    // lock; *holder then says who. A folder where no lock file can be made
    // gives an empty lock: nobody can hold one there. A lock file that
    // could not be written (a full disk) gives an empty lock too, with the
    // reason as its problem(): the file is not guarded then.
    static std::unique_ptr<RecordFileLock> take(const QString& path, Holder* holder);

    const QString& problem() const { return problem_; }

    static QString lockFileName(const QString& path);

private:
    explicit RecordFileLock(std::unique_ptr<QLockFile> file, QString problem = {});
    std::unique_ptr<QLockFile> file_;
    QString problem_;
};
