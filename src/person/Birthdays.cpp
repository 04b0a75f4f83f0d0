#include "person/Birthdays.h"

#include "store/BirthDate.h"
#include "store/NameOrder.h"

#include <QLocale>

#include <algorithm>

QDate birthdayIn(const QDate& born, int year) {
    if (born.month() == 2 && born.day() == 29 && !QDate::isLeapYear(year))
        return QDate(year, 2, 28);
    return QDate(year, born.month(), born.day());
}

namespace {

struct CivilDate {
    qint64 year;
    int month;
    int day;
};

// The calendar date of a stored day count by integer arithmetic alone (the
// proleptic Gregorian calendar QDate uses): a file's persons are all looked
// at when it opens, and a QDate for each took longer than the opening's
// own work on them.
CivilDate civilDate(double storedDays) {
    const qint64 z = static_cast<qint64>(storedDays) - 25569 + 719468; // from 1970-03-01
    const qint64 era = (z >= 0 ? z : z - 146096) / 146097;
    const qint64 dayOfEra = z - era * 146097;
    const qint64 yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const qint64 dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const qint64 mp = (5 * dayOfYear + 2) / 153;
    const int day = int(dayOfYear - (153 * mp + 2) / 5 + 1);
    const int month = int(mp < 10 ? mp + 3 : mp - 9);
    return {yearOfEra + era * 400 + (month <= 2), month, day};
}

qint64 dayKey(qint64 year, int month, int day) {
    return year * 10000 + month * 100 + day;
}

} // namespace

std::vector<Birthday> birthdaysBetween(const std::vector<const PersonRecord*>& persons,
                                       const QDate& first, const QDate& last) {
    std::vector<Birthday> found;
    const qint64 from = dayKey(first.year(), first.month(), first.day());
    const qint64 to = dayKey(last.year(), last.month(), last.day());
    forEachRecord(persons, [&](const PersonRecord& p) {
        // About 1800 BC to 9000 AD; anything beyond is no birth date.
        if (p.BirthDate == 0 || !(p.BirthDate > -1350000 && p.BirthDate < 2600000))
            return;
        const CivilDate born = civilDate(p.BirthDate);
        for (int year = first.year(); year <= last.year(); ++year) {
            const bool leapDayMoves =
                born.month == 2 && born.day == 29 && !QDate::isLeapYear(year);
            const qint64 key = dayKey(year, born.month, leapDayMoves ? 28 : born.day);
            if (key >= from && key <= to && year > born.year)
                found.push_back({&p, birthdayIn(birthdate::toDate(p.BirthDate), year),
                                 int(year - born.year)});
        }
    });
    const NameOrder byName;
    std::stable_sort(found.begin(), found.end(), [&](const Birthday& a, const Birthday& b) {
        if (a.date != b.date)
            return a.date < b.date;
        return byName(a.person, b.person);
    });
    return found;
}

std::pair<QDate, QDate> monthSpan(int month, const QDate& today) {
    const QDate first(today.month() <= month ? today.year() : today.year() + 1, month, 1);
    return {first, first.addMonths(1).addDays(-1)};
}

QString spanTitle(const QDate& first, const QDate& last, bool wholeMonth) {
    if (wholeMonth)
        return QLocale(QLocale::Turkish, QLocale::Turkey).standaloneMonthName(first.month()) +
               u' ' + QString::number(first.year());
    return first.toString(u"dd.MM.yyyy") + QStringLiteral(" – ") + last.toString(u"dd.MM.yyyy");
}
