#pragma once

#include "store/PersonRecord.h"

#include <QString>

#include <functional>
#include <vector>

class Clock;
class Prompts;
class RecordDocument;

// What "vCard İçe Aktar…" works on.
struct VCardImportTarget {
    RecordDocument& document;
    QString groupPath;     // the focused group's, or "Belli Değil"
    QString pictureFolder; // beside the record file
    QString directory;     // where the open dialog starts
    const Clock& clock;
    // Locks the window while persons are read and filed (true), then
    // releases it (false).
    std::function<void(bool)> lock;
};

// The whole command: the file dialog, reading, the question about
// characters the record file cannot hold, filing, the closing message.
// Cancel at any question leaves the document as it was.
void runVCardImport(Prompts& prompts, const VCardImportTarget& target);

// What "vCard Olarak Dışa Aktar…" works on.
struct VCardExportSource {
    std::vector<const PersonRecord*> persons; // all, in list order
    QString focusedGroupPath;                 // empty when no group is focused
    QString pictureFolder;
    QString directory;
};

// The whole command: which persons (the focused group or all), whether
// pictures go along, the save dialog, writing, the closing message.
void runVCardExport(Prompts& prompts, const VCardExportSource& source);
