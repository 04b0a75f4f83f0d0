#pragma once

#include "platform/Errors.h"

#include <QByteArray>
#include <QString>

#include <functional>

class FileKey;
class QIODevice;

// The name of the backup kept beside a record file: its extension replaced
// by ".BAK" (or ".BAK" appended when it has none). A file whose own
// extension is ".BAK" keeps its backup as NAME.BAK.BAK, never as itself.
QString backupFileName(const QString& path);

// Where the unsaved state of an ending program is kept beside a record
// file (personel.qdb: personel.kurtarma.qdb); never the file itself.
QString recoveryFileName(const QString& path);

// The file a save of path writes: a symbolic link is followed, so the link
// keeps naming the new content and the backup lies beside the target.
QString saveTargetOf(const QString& path);

// Writes a record file so that its name holds the old or the new content
// at every instant: the new content goes to a temporary file that reaches
// the disk, then the previous file gets a second name (or a copy) that
// becomes the ".BAK", the new file replaces the old one by a rename, and
// the folder is flushed after it. A failure at any step leaves the file
// and its ".BAK" as they were; a file its owner made read-only is refused
// ("Dosya salt okunur."), as every file written through SafeFile is. Throws ZilvarenError naming the step that failed
// ("Unable to create backup file.", "Cannot create file %s") and the
// reason; the file on disk is then unchanged. writeContent puts the new
// content into the device, false when the device refused it.
// With a key, the file is written in the protected form.
void saveRecordFile(const QString& path, const std::function<bool(QIODevice&)>& writeContent,
                    const FileKey* key = nullptr);
void saveRecordFile(const QString& path, const QByteArray& content, const FileKey* key = nullptr);
