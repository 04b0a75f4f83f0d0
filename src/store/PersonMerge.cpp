#include "store/PersonMerge.h"

#include "store/PersonKeys.h"

#include <QSet>

namespace {

// What makes two entries one: the mail address, else the number's digits,
// else the whole entry.
QString entryKey(const QString& entry) {
    const ContactEntry c = ContactEntry::parse(entry);
    if (const QString mail = mailKey(c.value); !mail.isEmpty())
        return QLatin1Char('@') + mail;
    if (const QString number = numberKey(c.value); number.size() >= 3)
        return QLatin1Char('#') + number;
    return QLatin1Char('=') + entry;
}

void takeIfEmpty(QString& kept, const QString& other) {
    if (kept.isEmpty())
        kept = other;
}

void appendMissing(QStringList& kept, const QStringList& other) {
    for (const QString& value : other)
        if (!kept.contains(value))
            kept.append(value);
}

} // namespace

QString sortableStamp(const QString& stamp) {
    // "dd.mm.yyyy  hh:nn:ss"
    if (stamp.size() != 20)
        return {};
    const QString s = stamp.mid(6, 4) + stamp.mid(3, 2) + stamp.mid(0, 2) + stamp.mid(12, 2) +
                      stamp.mid(15, 2) + stamp.mid(18, 2);
    for (const QChar c : s)
        if (!c.isDigit())
            return {};
    return s;
}

void mergeInto(PersonRecord& kept, const PersonRecord& other) {
    for (auto field :
         {&PersonRecord::FirstName, &PersonRecord::Surname, &PersonRecord::BirthPlace,
          &PersonRecord::Firm, &PersonRecord::Department, &PersonRecord::Profession,
          &PersonRecord::HomeAddress1, &PersonRecord::HomeAddress2, &PersonRecord::HomeCity,
          &PersonRecord::HomePostCode, &PersonRecord::WorkAddress1, &PersonRecord::WorkAddress2,
          &PersonRecord::WorkCity, &PersonRecord::WorkPostCode})
        takeIfEmpty(kept.*field, other.*field);
    if (kept.BirthDate == 0)
        kept.BirthDate = other.BirthDate;
    if (kept.Sex.isNull())
        kept.Sex = other.Sex;
    if (kept.MaritalStatus.isNull())
        kept.MaritalStatus = other.MaritalStatus;

    QSet<QString> keys;
    for (const QString& entry : kept.Contacts)
        keys.insert(entryKey(entry));
    for (const QString& entry : other.Contacts)
        if (!keys.contains(entryKey(entry))) {
            keys.insert(entryKey(entry));
            kept.Contacts.append(entry);
        }
    appendMissing(kept.Notes, other.Notes);
    if (kept.Pictures.isEmpty())
        kept.PictureIndex = other.PictureIndex;
    appendMissing(kept.Pictures, other.Pictures);

    const QString mine = sortableStamp(kept.RecordedAt);
    const QString theirs = sortableStamp(other.RecordedAt);
    if (!theirs.isEmpty() && (mine.isEmpty() || theirs < mine))
        kept.RecordedAt = other.RecordedAt;
}
