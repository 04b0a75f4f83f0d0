#pragma once

#include "platform/Errors.h"

#include <QByteArray>
#include <QString>

// The name of the backup kept beside a record file: its extension replaced
// by ".BAK" (or ".BAK" appended when it has none).
QString backupFileName(const QString& path);

// Writes a record file so that a failure never leaves it half-written: the
// new content goes to a temporary file in the same folder and reaches the
// disk first; only then does the previous file become the ".BAK" and the
// new one take its place. Throws ZilvarenError with the message to show
// ("Unable to create backup file.", "Cannot create file %s"); the file on
// disk is then unchanged.
void saveRecordFile(const QString& path, const QByteArray& content);
