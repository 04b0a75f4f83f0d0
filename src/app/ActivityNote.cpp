#include "app/ActivityNote.h"

#include "app/FileShell.h"

ActivityNote::ActivityNote(FileShell& window, const QString& text) : window_(window) {
    window_.showActivity(text);
}

ActivityNote::~ActivityNote() {
    window_.showActivity(QString());
}
