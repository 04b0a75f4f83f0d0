#include "store/RecordFileSaver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

QString backupFileName(const QString& path) {
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    const qsizetype separator = std::max(path.lastIndexOf(QLatin1Char('/')),
                                         path.lastIndexOf(QDir::separator()));
    if (dot > separator && dot >= 0)
        return path.left(dot) + QStringLiteral(".BAK");
    return path + QStringLiteral(".BAK");
}

void saveRecordFile(const QString& path, const QByteArray& content) {
    const auto cannotCreate = [&path] {
        return ZilvarenError(QStringLiteral("Cannot create file %1").arg(path));
    };
    QSaveFile file(path);
    // The backup is made by renaming; the new content must not go through
    // the old file's name.
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size() ||
        !file.flush())
        throw cannotCreate();

    const bool hadFile = QFileInfo::exists(path);
    const QString backup = backupFileName(path);
    if (hadFile) {
        QFile::remove(backup);
        if (!QFile::rename(path, backup)) {
            file.cancelWriting();
            throw ZilvarenError(QStringLiteral("Unable to create backup file."));
        }
    }
    if (!file.commit()) {
        if (hadFile)
            QFile::rename(backup, path);
        throw cannotCreate();
    }
}
