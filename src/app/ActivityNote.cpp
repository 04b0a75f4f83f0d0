#include "app/ActivityNote.h"

#include "app/TForm_Main.h"

ActivityNote::ActivityNote(TForm_Main& window, const QString& text) : window_(window) {
    window_.showActivity(text);
}

ActivityNote::~ActivityNote() {
    window_.showActivity(QString());
}
