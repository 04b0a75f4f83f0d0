#include "platform/TurkishText.h"

#include <array>

namespace {

constexpr char16_t kDotlessI = u'ı';
constexpr char16_t kDottedCapitalI = u'İ';
constexpr char16_t kPathSeparator = 0x00FF;

bool isTitleUpperLetter(QChar c) {
    const char16_t u = c.unicode();
    return (u >= 'A' && u <= 'Z') || u == u'Ç' || u == u'Ğ' || u == u'Ö' || u == u'Ü' ||
           u == kDottedCapitalI || u == u'Ş';
}

QChar titleLower(QChar c) {
    const char16_t u = c.unicode();
    if (u == 'I')
        return QChar(kDotlessI);
    if (u >= 'A' && u <= 'Z')
        return QChar(char16_t(u + 32));
    switch (u) {
    case u'Ç':
        return QChar(u'ç');
    case u'Ğ':
        return QChar(u'ğ');
    case u'Ö':
        return QChar(u'ö');
    case u'Ü':
        return QChar(u'ü');
    case kDottedCapitalI:
        return QChar(u'i');
    case u'Ş':
        return QChar(u'ş');
    default:
        return c;
    }
}

} // namespace

QLocale userLocale() {
    const QLocale system;
    if (system.language() == QLocale::C)
        return QLocale(QLocale::Turkish, QLocale::Turkey);
    return system;
}

QChar TurkceKeyMap(QChar c) {
    if (c == u'i')
        return QChar(kDottedCapitalI);
    if (c == kDotlessI)
        return QChar(u'I');
    return c;
}

namespace {

char16_t upperOf(char16_t u) {
    if (u < 0x80)
        return (u >= 'a' && u <= 'z') ? (u == 'i' ? kDottedCapitalI : char16_t(u - 32)) : u;
    if (u == kPathSeparator)
        return u;
    if (u == kDotlessI)
        return u'I';
    // Simple (one-to-one) mapping keeps the length: ß stays ß.
    return QChar(u).toUpper().unicode();
}

// Searches upper-case every character of every person: one lookup each.
const std::array<char16_t, 65536>& upperTable() {
    static const std::array<char16_t, 65536> table = [] {
        std::array<char16_t, 65536> t{};
        for (size_t u = 0; u < t.size(); ++u)
            t[u] = upperOf(char16_t(u));
        return t;
    }();
    return table;
}

} // namespace

QChar TurkceUpperChar(QChar c) {
    return QChar(upperTable()[c.unicode()]);
}

QString TurkceUpperCase(QStringView text) {
    const auto& upper = upperTable();
    QString out(text.size(), Qt::Uninitialized);
    QChar* dst = out.data();
    for (qsizetype i = 0; i < text.size(); ++i)
        dst[i] = QChar(upper[text[i].unicode()]);
    return out;
}

bool TurkceKeyContains(QStringView text, QStringView key) {
    if (key.isEmpty())
        return true;
    const auto& upper = upperTable();
    const char16_t first = key[0].unicode();
    const qsizetype last = text.size() - key.size();
    for (qsizetype i = 0; i <= last; ++i) {
        if (upper[text[i].unicode()] != first)
            continue;
        qsizetype j = 1;
        while (j < key.size() && upper[text[i + j].unicode()] == key[j].unicode())
            ++j;
        if (j == key.size())
            return true;
    }
    return false;
}

bool TurkceKeyEquals(QStringView text, QStringView key) {
    if (text.size() != key.size())
        return false;
    const auto& upper = upperTable();
    for (qsizetype i = 0; i < text.size(); ++i)
        if (upper[text[i].unicode()] != key[i].unicode())
            return false;
    return true;
}

QString TurkceTitleCase(QStringView text) {
    QString out = text.toString();
    for (qsizetype i = 1; i < text.size(); ++i)
        if (isTitleUpperLetter(text[i - 1]))
            out[i] = titleLower(text[i]);
    return out;
}

TurkishCollator::TurkishCollator() : collator_(userLocale()) {
    collator_.setCaseSensitivity(Qt::CaseInsensitive);
}

// none at the ends. "Ali  Koç" and "ALI KOC" give "ALI KOC". Appended to
// key as if text followed it after a blank.
void appendTurkceFoldedKey(QString& key, QStringView text);
void appendTurkceFoldedKey(QString& key, QStringView text) {
    const auto& upper = upperTable();
    // Room for a blank before every character first, then what was used:
    // two changes of size instead of one a character.
    const qsizetype start = key.size();
    key.resize(start + 2 * text.size());
    QChar* const begin = key.data();
    QChar* d = begin + start;
    bool gap = start > 0;
    for (const QChar c : text) {
        if (!c.isLetterOrNumber()) {
            gap = d != begin;
            continue;
        }
        if (gap)
            *d++ = u' ';
        gap = false;
        const char16_t u = upper[c.unicode()];
        switch (u) {
        case u'Ç':
            *d++ = u'C';
            break;
        case u'Ğ':
            *d++ = u'G';
            break;
        case u'İ':
            *d++ = u'I';
            break;
        case u'Ö':
            *d++ = u'O';
            break;
        case u'Ş':
            *d++ = u'S';
            break;
        case u'Ü':
            *d++ = u'U';
            break;
        default:
            *d++ = QChar(u);
        }
    }
    key.resize(d - begin);
}
