#pragma once

#include "platform/Errors.h"
#include "store/RecordFile.h"

class QIODevice;

// A record file that cannot be read at all (missing, locked, unreadable).
class RecordFileError : public ZilvarenError {
public:
    using ZilvarenError::ZilvarenError;
};

// Reads a whole record file. A malformed date or setting stops the reading
// (RecordFileData::error) with what was read before kept; a device that
// cannot be read throws RecordFileError.
RecordFileData readRecordFile(QIODevice& device);
RecordFileData readRecordFile(const QString& path);

// Reads the decoded text of a record file.
RecordFileData parseRecordText(const QString& text);

// Decimal integer as the file's numbers are read: leading blanks and a sign
// allowed, nothing after the digits, 32-bit range.
std::optional<int> parseFileInteger(QStringView text);
