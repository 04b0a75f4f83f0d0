#include "store/PersonKeys.h"

#include "platform/TurkishText.h"

QString nameKey(const PersonRecord& person) {
    QString key;
    key.reserve(person.FirstName.size() + 1 + person.Surname.size());
    appendTurkceFoldedKey(key, person.FirstName);
    appendTurkceFoldedKey(key, person.Surname);
    return key;
}

QString numberKey(QStringView value) {
    QString digits;
    for (const QChar c : value)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits.append(c);
    if (digits.startsWith(QLatin1String("0090")))
        digits.remove(0, 4);
    else if (digits.size() == 12 && digits.startsWith(QLatin1String("90")))
        digits.remove(0, 2);
    else if (digits.startsWith(QLatin1Char('0')))
        digits.remove(0, 1);
    return digits;
}

QString mailKey(QStringView value) {
    const QStringView address = value.trimmed();
    const qsizetype at = address.indexOf(QLatin1Char('@'));
    if (at <= 0 || at + 1 >= address.size() || address.contains(QLatin1Char(' ')))
        return {};
    return address.toString().toCaseFolded();
}

ContactKeys contactKeys(const PersonRecord& person) {
    ContactKeys keys;
    for (const QString& entry : person.Contacts) {
        const ContactEntry c = ContactEntry::parse(entry);
        if (const QString mail = mailKey(c.value); !mail.isEmpty()) {
            keys.mails.append(mail);
            continue;
        }
        if (c.kind == u"Mail" || c.kind == u"Web")
            continue;
        const QString number = numberKey(c.value);
        if (number.isEmpty())
            continue;
        // Turkish mobile numbers are 5xx xxx xx xx.
        const bool mobile =
            c.kind == u"GSM" || (number.size() == 10 && number.startsWith(QLatin1Char('5')));
        (mobile ? keys.mobiles : keys.landlines).append(number);
    }
    return keys;
}
