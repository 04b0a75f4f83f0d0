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

std::vector<Birthday> birthdaysBetween(const std::vector<const PersonRecord*>& persons,
                                       const QDate& first, const QDate& last) {
    std::vector<Birthday> found;
    forEachRecord(persons, [&](const PersonRecord& p) {
        if (p.BirthDate == 0)
            return;
        const QDate born = birthdate::toDate(p.BirthDate);
        if (!born.isValid())
            return;
        for (int year = first.year(); year <= last.year(); ++year) {
            const QDate day = birthdayIn(born, year);
            if (day >= first && day <= last && year > born.year())
                found.push_back({&p, day, year - born.year()});
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
