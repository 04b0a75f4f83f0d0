#pragma once

#include "store/PersonRecord.h"

#include <QString>
#include <QStringList>

#include <functional>

// What tells that two records are one person: the same name written with
// or without the Turkish letters, or one mobile number or mail address.

// The folded key of the first name and surname (appendTurkceFoldedKey); empty
// for a person without a name.
QString nameKey(const PersonRecord& person);
// The same into key, whose room is used again.
void nameKeyInto(const PersonRecord& person, QString& key);

// A telephone number as its digits, without the country code (+90, 0090)
// or the trunk 0: "0532 (111) 22 33" and "+90 532 111 22 33" are one.
// Empty when the text has no digits.
QString numberKey(QStringView value);

// A mail address without regard to letter case; empty when the text is no
// address.
QString mailKey(QStringView value);

// What a contact entry's key is.
enum class ContactKeyKind { Mail, Mobile, Landline };

// Calls take with the kind and key of each of the person's contact entries
// that has one, in order; the key is valid during the call.
void forEachContactKey(const PersonRecord& person,
                       const std::function<void(ContactKeyKind, QStringView)>& take);

// The keys of a person's contact entries, by what they are.
struct ContactKeys {
    QStringList mobiles;   // "GSM" entries, and numbers that are Turkish mobiles
    QStringList landlines; // every other number
    QStringList mails;     // "Mail" entries and values that are mail addresses
};
ContactKeys contactKeys(const PersonRecord& person);
