#pragma once

#include <QString>

// On 100 000 persons: the phone list and the labels against the person
// list's print, the Excel export against openpyxl writing the same rows
// in its write-only mode, a table import against the address-book import
// of the same persons; and what the pages of the print styles take in
// zilvaren-cli at 3 000 and 30 000 persons. Prints each ratio beside its
// target and returns how many were missed. Scratch files go to folder.
int benchOffice(const QString& folder);
