#pragma once

#include <QByteArray>
#include <QString>

// Record files and address books of a given size, the same for every run:
// about 470 bytes and 25 lines per person, 200 groups under 8 top-level
// groups, Turkish names. Half the persons lie below "Bölüm 1"; the group
// the file focuses ("Bölüm 2ÿŞube 1") has about 290 direct members at
// 100 000 persons.
QByteArray generateRecordFile(int persons);

// An address-book export (29 semicolon-separated fields a record, code
// page 1254, CR LF) of that many records.
QByteArray generateAddressBook(int records);

inline const QString kHalfGroupName = QStringLiteral("Bölüm 1");
