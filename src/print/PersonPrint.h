#pragma once

#include "store/PersonRecord.h"
#include "store/PersonTexts.h"

#include <QString>

#include <vector>

class QPagedPaintDevice;

// What every printed page says at its top.
struct PrintHeading {
    QString file;  // the record file
    QString group; // the group shown, or "Tüm kişiler"
    QString date;  // "10.12.2026"
};

// The person list as shown (its rows in their order) on A4 pages, or
// whatever page the device has: the heading on every page, the column
// heads repeated, "Sayfa n / N" at the foot. A long value wraps within its
// column, to three lines at most, and is cut short with "…" after them;
// none runs over its column. Pages are laid out once and drawn one after
// another, so memory does not grow with their number. False when the
// device could not be drawn on.
bool printPersonList(QPagedPaintDevice& device, const PrintHeading& heading,
                     const std::vector<const PersonRecord*>& persons);

// One person's card: every field of the detail pages, section by
// section, with the picture shown at the top when there is one.
bool printPersonCard(QPagedPaintDevice& device, const PrintHeading& heading,
                     const PersonRecord& person, const QString& pictureFolder);
