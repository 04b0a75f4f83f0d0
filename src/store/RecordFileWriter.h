#pragma once

#include "store/RecordFile.h"

#include <QByteArray>

#include <string_view>

class QIODevice;

// The maker's address in the header block.
inline const QString kMakerStreet = QStringLiteral("Atatürk Bulvarı No: 127/4 Kızılay");
inline const QString kMakerCity = QStringLiteral("06420 Ankara Türkiye");

// The lines of a record file in code page 1254, straight into bytes, each
// ending with CR LF. A line break inside a one-line value is written as a
// blank, so the file reads back as written. Characters the code page lacks
// are written as '?' and listed in *unencodable.
class RecordFileWriter {
public:
    explicit RecordFileWriter(QString* unencodable = nullptr);

    // Room for about size bytes, in large memory pages where there are.
    void reserve(qsizetype size);
    // What was written so far.
    QByteArrayView bytes() const { return QByteArrayView(bytes_.constData(), used_); }
    QByteArray take();

    // From "0 HEAD" to the groups of different persons; no "1 IDNO " line
    // without a focused record number.
    void header(const QString* focusedRecordNo, const GroupNode& groups,
                const GroupNode* focusedGroup, const FindState& find, const FileSettings& settings,
                const DifferentPersons& different);
    void person(const PersonRecord& p);
    void trailer();

private:
    // Tags are ASCII, their own bytes.
    void line(std::string_view tag, QStringView value = {});
    void optional(std::string_view tag, const QString& value);
    void list(std::string_view tag, const QStringList& values);
    void flag(QStringView key, bool on);
    void number(QStringView key, int value);

    // The next n bytes of the buffer, grown when needed: a line costs one
    // check of the room, not a change of the array's size.
    char* room(qsizetype n);

    QByteArray bytes_;
    qsizetype used_ = 0;
    QString* unencodable_;
};

// Composes the whole file in code page 1254: header, one block per person
// in list order, trailer; every line ends with CR LF. A line break inside
// a one-line value is written as a blank, so the file reads back as
// written. Characters the code page lacks are written as '?' and listed in
// *unencodable.
QByteArray composeRecordFile(const RecordFileSnapshot& snapshot, QString* unencodable = nullptr);
