#include "store/PersonMerge.h"

#include "store/PersonKeys.h"

#include <QSet>

#include <algorithm>

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

// Notes are lines of one text: other's text follows unless kept already
// holds it, line for line.
void appendNotes(QStringList& kept, const QStringList& other) {
    if (other.isEmpty())
        return;
    for (qsizetype at = 0; at + other.size() <= kept.size(); ++at)
        if (std::equal(other.begin(), other.end(), kept.begin() + at))
            return;
    kept.append(other);
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

void mergeInto(PersonRecord& kept, const std::vector<const PersonRecord*>& others) {
    // The contacts' keys once for all the others, so a large group
    // merges in one pass.
    QSet<QString> keys;
    for (const QString& entry : kept.Contacts)
        keys.insert(entryKey(entry));
    for (const PersonRecord* o : others) {
        const PersonRecord& other = *o;
        for (auto field :
             {&PersonRecord::FirstName, &PersonRecord::Surname, &PersonRecord::BirthPlace,
              &PersonRecord::Firm, &PersonRecord::Department, &PersonRecord::Profession,
              &PersonRecord::HomeAddress1, &PersonRecord::HomeAddress2, &PersonRecord::HomeCity,
              &PersonRecord::HomePostCode, &PersonRecord::WorkAddress1, &PersonRecord::WorkAddress2,
              &PersonRecord::WorkCity, &PersonRecord::WorkPostCode, &PersonRecord::Identity})
            takeIfEmpty(kept.*field, other.*field);
        if (kept.BirthDate == 0)
            kept.BirthDate = other.BirthDate;
        if (kept.Sex.isNull())
            kept.Sex = other.Sex;
        if (kept.MaritalStatus.isNull())
            kept.MaritalStatus = other.MaritalStatus;

        for (const QString& entry : other.Contacts) {
            const QString key = entryKey(entry);
            if (!keys.contains(key)) {
                keys.insert(key);
                kept.Contacts.append(entry);
            }
        }
        appendNotes(kept.Notes, other.Notes);
        if (kept.Pictures.isEmpty())
            kept.PictureIndex = other.PictureIndex;
        appendMissing(kept.Pictures, other.Pictures);

        const QString mine = sortableStamp(kept.RecordedAt);
        const QString theirs = sortableStamp(other.RecordedAt);
        if (!theirs.isEmpty() && (mine.isEmpty() || theirs < mine))
            kept.RecordedAt = other.RecordedAt;
    }
}
