#pragma once

#include "platform/Errors.h"
#include "platform/SecretBytes.h"
#include "store/RecordFile.h"

#include <functional>
#include <optional>

class QIODevice;

// A record file that cannot be read at all (missing, locked, unreadable).
class RecordFileError : public ZilvarenError {
public:
    using ZilvarenError::ZilvarenError;
};

// The password of a protected record file: asked again (again) after a
// wrong one; nullopt gives up, and the reading throws PasswordNotGiven.
using PasswordSource =
    std::function<std::optional<SecretBytes>(const QString& path, bool again)>;

// The source used where a reading is given none: the command line sets
// the password it was given, once, for the one file a command works on.
void setDefaultPasswordSource(PasswordSource source);

// A protected file whose password was not given.
class PasswordNotGiven : public RecordFileError {
public:
    PasswordNotGiven()
        : RecordFileError(QStringLiteral("Dosya parola ile korunuyor; --password-file verin.")) {}
};

// Reads a whole record file. A malformed date or setting stops the reading
// (RecordFileData::error) with what was read before kept; a device that
// cannot be read, or bytes with no line of a record file at all (no
// "0 HEAD", "0 ID" or "0 TRLR"), throw RecordFileError.
// A file on disk may be in the protected form: it is opened with a
// password from password, read whole and refused whole when damaged
// (DamagedFileError), and the result holds its key.
RecordFileData readRecordFile(QIODevice& device);
RecordFileData readRecordFile(const QString& path, const PasswordSource& password = {});

// The same, handing each person to visit when its block has ended instead
// of keeping it, with what the file said before it: the result holds
// everything but the persons, and a file of any size is read in little
// memory. A person whose block a malformed line cut short is handed on
// as the list would keep it.
using PersonVisitor = std::function<void(PersonRecord&, const RecordFileData& before)>;
RecordFileData readRecordFile(QIODevice& device, const PersonVisitor& visit);
RecordFileData readRecordFile(const QString& path, const PersonVisitor& visit,
                              const PasswordSource& password = {});

// Why a file is refused that holds no line of a record file.
QString notARecordFileMessage(const QString& path);

// Reads the decoded text of a record file.
RecordFileData parseRecordText(const QString& text);

// Decimal integer as the file's numbers are read: leading blanks and a sign
// allowed, nothing after the digits, 32-bit range.
std::optional<int> parseFileInteger(QStringView text);
