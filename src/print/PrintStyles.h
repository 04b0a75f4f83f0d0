#pragma once

#include "print/PersonPrint.h"

#include <QDate>
#include <QString>

#include <functional>
#include <vector>

// How the persons of the list are printed.
enum class PrintStyle { List, Phones, Labels, Birthdays };
enum class LabelAddress { Home, Work };

// "Personel Listesi", "Telefon Rehberi", "Adres Etiketleri", "Doğum Günleri".
QString printStyleName(PrintStyle style);

struct PrintOptions {
    PrintStyle style = PrintStyle::List;
    LabelAddress address = LabelAddress::Home; // the labels'
    int month = 0; // the birthdays': 1 to 12, or 0 for today and the next 30 days
};

// The pages of a style for the persons (the list as shown), ready to be
// drawn on any device as often as a preview asks, and what the user is
// told: the labels left out for want of an address, or why there is
// nothing to print (then there are no pages).
struct PrintJob {
    std::function<bool(QPagedPaintDevice&)> pages;
    QString note;
};
PrintJob printJob(const PrintOptions& options, const PrintHeading& heading,
                  const std::vector<const PersonRecord*>& persons, const QDate& today);

// "Telefon Rehberi": the persons by surname and first name the Turkish
// way under a heading letter per initial, each with the group and every
// telephone and mail entry with its kind.
bool printPhoneList(QPagedPaintDevice& device, const PrintHeading& heading,
                    std::vector<const PersonRecord*> persons);

// Whether a person has the address a label needs: a street line or a city.
bool hasAddress(const PersonRecord& person, LabelAddress address);

// "Adres Etiketleri": A4 sheets of 3 × 8 labels of 70 × 37 mm, one person
// a label (the name, for the work address the firm, the address), in the
// given order. A line too long for its label is set smaller, then cut
// with "…"; nothing crosses a label's edge. Sets the device's margins to
// none: the labels cover the sheet.
bool printLabels(QPagedPaintDevice& device, const std::vector<const PersonRecord*>& persons,
                 LabelAddress address);
