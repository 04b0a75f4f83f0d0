#include "store/NameOrder.h"

#include "platform/TurkishText.h"

#include <QLocale>

namespace {

// What a person is sorted by first, and then.
QStringView firstKey(const PersonRecord& p) {
    return p.Surname.isEmpty() ? QStringView(p.FirstName) : QStringView(p.Surname);
}
QStringView secondKey(const PersonRecord& p) {
    return p.Surname.isEmpty() ? QStringView() : QStringView(p.FirstName);
}

} // namespace

NameOrder::NameOrder() : collator_(QLocale(QLocale::Turkish, QLocale::Turkey)) {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

bool NameOrder::operator()(const PersonRecord* a, const PersonRecord* b) const {
    const int first = collator_.compare(firstKey(*a), firstKey(*b));
    if (first != 0)
        return first < 0;
    return collator_.compare(secondKey(*a), secondKey(*b)) < 0;
}

QChar NameOrder::initial(const PersonRecord& person) {
    const QStringView key = firstKey(person).trimmed();
    if (key.isEmpty() || !key.front().isLetter())
        return u'#';
    return TurkceUpperChar(key.front());
}
