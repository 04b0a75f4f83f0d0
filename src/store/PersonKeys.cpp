#include "store/PersonKeys.h"

#include "platform/TurkishText.h"

#include <QVarLengthArray>

namespace {

using KeyBuffer = QVarLengthArray<char16_t, 64>;

// The digits of value without the country code or the trunk 0, into key.
void numberKeyInto(QStringView value, KeyBuffer& key) {
    key.resize(value.size());
    char16_t* const begin = key.data();
    char16_t* d = begin;
    for (const QChar c : value)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            *d++ = c.unicode();
    const QStringView all(begin, d - begin);
    qsizetype drop = 0;
    if (all.startsWith(u"0090"))
        drop = 4;
    else if (all.size() == 12 && all.startsWith(u"90"))
        drop = 2;
    else if (all.startsWith(u'0'))
        drop = 1;
    std::copy(begin + drop, d, begin);
    key.resize(all.size() - drop);
}

// The address folded into key; false when value is no address.
bool mailKeyInto(QStringView value, KeyBuffer& key) {
    // Trimmed, and its first '@' and any blank found, in one pass.
    qsizetype from = 0;
    qsizetype to = value.size();
    while (from < to && value[from].isSpace())
        ++from;
    while (to > from && value[to - 1].isSpace())
        --to;
    const QStringView address = value.sliced(from, to - from);
    qsizetype at = -1;
    bool ascii = true;
    for (qsizetype i = 0; i < address.size(); ++i) {
        const char16_t c = address[i].unicode();
        if (c == u' ')
            return false;
        if (c == u'@' && at < 0)
            at = i;
        ascii = ascii && c < 0x80;
    }
    if (at <= 0 || at + 1 >= address.size())
        return false;
    if (!ascii) {
        const QString folded = address.toString().toCaseFolded();
        key.clear();
        key.append(reinterpret_cast<const char16_t*>(folded.utf16()), folded.size());
        return true;
    }
    // ASCII, as nearly every address is, folds to its lower case.
    key.resize(address.size());
    for (qsizetype i = 0; i < address.size(); ++i) {
        const char16_t c = address[i].unicode();
        key[i] = c >= u'A' && c <= u'Z' ? char16_t(c + 32) : c;
    }
    return true;
}

QStringView view(const KeyBuffer& key) {
    return QStringView(key.constData(), key.size());
}

} // namespace

QString nameKey(const PersonRecord& person) {
    QString key;
    nameKeyInto(person, key);
    return key;
}

void nameKeyInto(const PersonRecord& person, QString& key) {
    key.resize(0);
    appendTurkceFoldedKey(key, person.FirstName);
    appendTurkceFoldedKey(key, person.Surname);
}

QString numberKey(QStringView value) {
    KeyBuffer key;
    numberKeyInto(value, key);
    return key.isEmpty() ? QString() : view(key).toString();
}

QString mailKey(QStringView value) {
    KeyBuffer key;
    return mailKeyInto(value, key) ? view(key).toString() : QString();
}

void forEachContactKey(const PersonRecord& person,
                       const std::function<void(ContactKeyKind, QStringView)>& take) {
    KeyBuffer key;
    for (const QString& entry : person.Contacts) {
        // Split as ContactEntry::parse does, without copies.
        const qsizetype tab = entry.indexOf(QLatin1Char('\t'));
        const QStringView kind = tab < 0 ? QStringView() : QStringView(entry).first(tab);
        const QStringView value = QStringView(entry).sliced(tab + 1);
        if (mailKeyInto(value, key)) {
            take(ContactKeyKind::Mail, view(key));
            continue;
        }
        if (kind == u"Mail" || kind == u"Web")
            continue;
        numberKeyInto(value, key);
        if (key.isEmpty())
            continue;
        // Turkish mobile numbers are 5xx xxx xx xx.
        const bool mobile = kind == u"GSM" || (key.size() == 10 && key[0] == u'5');
        take(mobile ? ContactKeyKind::Mobile : ContactKeyKind::Landline, view(key));
    }
}

ContactKeys contactKeys(const PersonRecord& person) {
    ContactKeys keys;
    forEachContactKey(person, [&keys](ContactKeyKind kind, QStringView key) {
        (kind == ContactKeyKind::Mail     ? keys.mails
         : kind == ContactKeyKind::Mobile ? keys.mobiles
                                          : keys.landlines)
            .append(key.toString());
    });
    return keys;
}
