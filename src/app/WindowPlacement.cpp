#include "app/WindowPlacement.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>

void placeWindow(QWidget& window, const SettingsStore::PageSetup& stored) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect area = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    // The designed size is for the usual font; a larger font setting
    // gets a window as much larger, within the screen.
    const qreal fontScale = std::max(1.0, window.logicalDpiY() / 96.0);
    QRect frame(QPoint(), (QSizeF(651, 513) * fontScale).toSize().boundedTo(area.size()));
    frame.moveCenter(area.center());
    if (stored.width)
        frame.setWidth(*stored.width);
    if (stored.height)
        frame.setHeight(*stored.height);
    if (stored.left)
        frame.moveLeft(*stored.left);
    if (stored.top)
        frame.moveTop(*stored.top);
    window.resize(frame.size().expandedTo(window.minimumSizeHint()));
    window.move(frame.topLeft());
    keepOnScreen(window);
}

void keepOnScreen(QWidget& window) {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize frameExtra = window.frameGeometry().size() - window.size();
    const QSize client = window.size().boundedTo(area.size() - frameExtra);
    if (client != window.size())
        window.resize(client);
    const QRect frame = window.frameGeometry();
    const QPoint at(std::clamp(frame.left(), area.left(), area.right() + 1 - frame.width()),
                    std::clamp(frame.top(), area.top(), area.bottom() + 1 - frame.height()));
    if (at != frame.topLeft())
        window.move(at);
}

void storePlacement(const QWidget& window, SettingsStore::PageSetup& setup) {
    setup.left = window.x();
    setup.top = window.y();
    setup.width = window.width();
    setup.height = window.height();
}
