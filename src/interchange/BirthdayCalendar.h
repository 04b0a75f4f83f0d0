#pragma once

#include "platform/SafeFile.h"
#include "store/PersonRecord.h"

#include <QByteArray>
#include <QDateTime>
#include <QSet>
#include <QString>

// The birthdays as a calendar (RFC 5545) any calendar program takes: one
// all-day event a year for each person with a birth date, UTF-8, CR LF,
// lines folded at 75 octets. A birthday on 29 February is kept on the
// last day of February, so on the 28th in other years. Each event's UID
// is made from the UID of the person's card (its identity, else its
// record number and creation stamp), so exporting again, from this file
// or a copy of it under any name, gives the same UIDs and a calendar
// updates its events instead of doubling them. The file replaces one of
// that name only once all is written; throws ZilvarenError with the
// message to show.
class BirthdayCalendarFile {
public:
    // stamp: when the calendar is made (each event's DTSTAMP).
    BirthdayCalendarFile(const QString& path, const QDateTime& stamp);
    void add(const PersonRecord& person);
    // The number of events written.
    int commit();

private:
    SafeFile file_;
    QByteArray stamp_;
    QByteArray text_;
    QSet<QString> uids_;
    int events_ = 0;
};

// The message after writing path.
QString birthdayCalendarMessage(const QString& path, int events);
