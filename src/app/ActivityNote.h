#pragma once

#include "platform/qt/WaitCursor.h"

#include <QString>

class FileShell;

// While a long piece of work holds the window: the wait cursor, and the
// status bar saying what is being done.
class ActivityNote {
public:
    ActivityNote(FileShell& window, const QString& text);
    ~ActivityNote();
    ActivityNote(const ActivityNote&) = delete;
    ActivityNote& operator=(const ActivityNote&) = delete;

private:
    WaitCursor wait_;
    FileShell& window_;
};
