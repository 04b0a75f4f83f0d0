#pragma once

#include <QIODevice>
#include <QString>

#include "platform/Errors.h"

// A file written so that its name holds either its old content or the
// whole new one. The bytes go to a temporary file beside it, nameless
// where the file system allows; every write, the flush to the disk and the
// close are checked, and only then does a rename put the new file in
// place. A failure at any step leaves the old
// file as it was and removes the temporary file; errorString() then names
// the step and the reason in Turkish.
class SafeFile : public QIODevice {
public:
    explicit SafeFile(QString path);
    ~SafeFile() override;

    // Creates the temporary file (for writing only); false when it cannot
    // be made, or when the file is one its owner made read-only.
    bool open(OpenMode mode = WriteOnly) override;
    // Writes out what is buffered and waits until the new content is on
    // the disk; false when that failed.
    bool flushToDisk();
    // Puts the new content in place (flushing it first); false when any
    // step failed (the old file keeps its name and bytes).
    bool commit();
    // Drops what was written; the old file stays.
    void cancel();

    const QString& path() const { return path_; }
    // The error to throw after a failure: failure (its %1 the path) with the
    // step and the reason on a line of their own.
    ZilvarenError error(const QString& failure) const;
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override;

private:
    bool fail(const QString& step, int error);
    bool flushBuffer();
    bool writeAll(const char* data, qsizetype size);
    void removeTemporary();

    QString path_;
    QByteArray temporary_; // empty while the file has no name
    QByteArray buffer_;
    int fd_ = -1;
    qint64 written_ = 0;
    bool flushed_ = false;
    bool failed_ = false;
};

// Writes content to path as SafeFile does; throws SafeFile::error(failure).
void writeFileSafely(const QString& path, const QByteArray& content, const QString& failure);
