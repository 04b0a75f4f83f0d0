#pragma once

#include <QString>

#include <optional>

// The reason of a failed system call, as a Turkish sentence with a capital
// first letter (the message shown to the user names the file and the step).
QString systemReason(int error);

// Why a path cannot be read as a record or import file, checked before
// anything opens it: a folder, a device, a FIFO or a socket would block or
// never end, and a huge file would fill the memory. nullopt for a regular,
// readable file of a sane size.
std::optional<QString> unreadableReason(const QString& path);

// "Dosya salt okunur." when path is a file its owner made read-only (no
// write permission for this user, or none for anyone, which even root
// respects here); nullopt otherwise, a missing file included.
std::optional<QString> writeProtectionOf(const QString& path);

class QFile;

// Opens the file for reading after the checks above; nullopt when it is
// open, else the reason it cannot be read.
std::optional<QString> openToRead(QFile& file);

// The largest file read into memory.
constexpr qint64 kMaxReadableFileSize = qint64(1) << 30;
