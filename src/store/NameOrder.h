#pragma once

#include "store/PersonRecord.h"

#include <QCollator>

// Persons by surname, then first name, the Turkish way whatever the
// user's locale: Ç after C, Ğ after G, I before İ, Ş after S, letter case
// aside. A person without a surname goes by the first name.
class NameOrder {
public:
    NameOrder();
    bool operator()(const PersonRecord* a, const PersonRecord* b) const;

    // The letter a person is filed under in a list in this order: the
    // first letter of the surname (else of the first name) in upper case,
    // "#" for anything but a letter.
    static QChar initial(const PersonRecord& person);

private:
    QCollator collator_;
};
