#pragma once

#include <QByteArray>
#include <QString>

struct RecordFileData;

// What opening and saving need of the main window.
class FileShell {
public:
    virtual ~FileShell() = default;
    // Puts a file that was read into the window and selects its group and
    // person again.
    virtual void showLoadedFile(RecordFileData& data) = 0;
    // The whole file as it would be saved now.
    virtual QByteArray composeFile() = 0;
    // Says in the status bar what a long piece of work is doing, painted at
    // once since the work holds the event loop; an empty text clears it.
    virtual void showActivity(const QString& text) = 0;
};
