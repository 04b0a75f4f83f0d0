#pragma once

#include "platform/SettingsStore.h"

class QWidget;

// The designed size, centred, unless a placement was stored; either way
// the window lies on the available screen area, so a placement from a
// larger or another screen never hides it.
void placeWindow(QWidget& window, const SettingsStore::PageSetup& stored);

// The same once the window is shown and the frame the window system adds
// is known.
void keepOnScreen(QWidget& window);

// The window's placement as closing stores it.
void storePlacement(const QWidget& window, SettingsStore::PageSetup& setup);
