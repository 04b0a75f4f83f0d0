#pragma once

#include <QByteArray>
#include <QString>

// The temporary files a save makes beside its target are named
// ".NAME.PID.RANDOM.tmp", so that one a killed save left behind can be
// told from one a running save is still writing.

// A name of that form for path, not taken yet.
QByteArray newTemporaryName(const QString& path);

// Removes what killed saves of path left behind: temporary files of path
// whose process has ended, and those of the older form ".NAME.RANDOM.tmp"
// that no process holds open.
void removeLeftoverTemporaries(const QString& path);
