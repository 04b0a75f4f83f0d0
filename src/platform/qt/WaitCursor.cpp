#include "platform/qt/WaitCursor.h"

#include <QCursor>
#include <QGuiApplication>

WaitCursor::WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }

WaitCursor::~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }

WaitCursorPause::WaitCursorPause() : paused_(QGuiApplication::overrideCursor() != nullptr) {
    if (paused_)
        QGuiApplication::restoreOverrideCursor();
}

WaitCursorPause::~WaitCursorPause() {
    if (paused_)
        QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor));
}
