#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>

// The Turkish text rules every part of the program shares.

// The locale for comparisons and dates: the user's, but Turkish where the
// system only offers "C"/POSIX.
QLocale userLocale();

// The key of a typed character in upper-case fields: i -> İ, ı -> I.
QChar TurkceKeyMap(QChar c);

// Upper-case key for comparing group names and paths: ı -> I, i -> İ, then
// per-character upper-casing. The result always has the length of the input
// and keeps the path separator ÿ (0xFF) as it is.
QString TurkceUpperCase(QStringView text);
// One character of TurkceUpperCase.
QChar TurkceUpperChar(QChar c);
// Whether TurkceUpperCase(text) == key, without making the copy.
bool TurkceKeyEquals(QStringView text, QStringView key);
// Whether TurkceUpperCase(text) contains key, without making the copy:
// searches walk every field of every person.
bool TurkceKeyContains(QStringView text, QStringView key);

// The key under which names written with and without the Turkish letters
// are one: upper case the Turkish way, Ç Ğ İ Ö Ş Ü as C G I O S U (so ı,
// i, I and İ are all I), every run of blanks and punctuation one blank,
// none at the ends. "Ali  Koç" and "ALI KOC" give "ALI KOC". Appended to
// key as if text followed it after a blank.
void appendTurkceFoldedKey(QString& key, QStringView text);

// Caption form of an upper-case name: AHMET YILMAZ -> Ahmet Yılmaz.
QString TurkceTitleCase(QStringView text);

// Case-insensitive comparison in the user's locale, for sorting lists.
class TurkishCollator {
public:
    TurkishCollator();
    int compare(const QString& a, const QString& b) const { return collator_.compare(a, b); }
    QCollatorSortKey sortKey(const QString& s) const { return collator_.sortKey(s); }

private:
    QCollator collator_;
};
