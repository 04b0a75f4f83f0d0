#pragma once

#include "interchange/TableImport.h"

#include <QString>

#include <functional>
#include <optional>

class Clock;
class Prompts;
class RecordDocument;

// What "Tablo İçe Aktar…" works on.
struct TableImportTarget {
    RecordDocument& document;
    QString groupPath; // the focused group's, or "Belli Değil"
    QString directory; // where the open dialog starts
    const Clock& clock;
    // Shows the table with the guessed mapping, for the user to change;
    // the mapping chosen, or nullopt when the user cancelled.
    std::function<std::optional<TableMapping>(const Table& table, const TableMapping& guessed,
                                              const QString& fileName)>
        chooseMapping;
    // Locks the window while persons are made and filed (true), then
    // releases it (false).
    std::function<void(bool)> lock;
};

// The whole command: the file dialog, reading, the mapping, the question
// about characters the record file cannot hold, filing the persons into
// the document as one step of its history, the closing message. Cancel
// at any step leaves the document as it was.
void runTableImport(Prompts& prompts, const TableImportTarget& target);
