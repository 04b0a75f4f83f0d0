#include "platform/TemporaryFiles.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <QRegularExpression>

#include <cerrno>
#include <signal.h>
#include <unistd.h>

namespace {

QString stemOf(const QString& path) {
    return QLatin1Char('.') + QFileInfo(path).fileName() + QLatin1Char('.');
}

bool processAlive(qint64 pid) {
    return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

// Whether any process this user may look at has the file open.
bool heldOpen(const QString& file) {
    const QString wanted = QFileInfo(file).absoluteFilePath();
    QDirIterator processes(QStringLiteral("/proc"), QDir::Dirs | QDir::NoDotAndDotDot);
    while (processes.hasNext()) {
        const QString process = processes.next();
        QDirIterator fds(process + QStringLiteral("/fd"), QDir::Files | QDir::System);
        while (fds.hasNext())
            if (QFileInfo(fds.next()).symLinkTarget() == wanted)
                return true;
    }
    return false;
}

} // namespace

QByteArray newTemporaryName(const QString& path) {
    const QFileInfo target(path);
    QString name;
    do
        name = target.absoluteDir().filePath(
            stemOf(path) + QString::number(::getpid()) + QLatin1Char('.') +
            QString::number(QRandomGenerator::global()->generate(), 36) + QStringLiteral(".tmp"));
    while (QFileInfo::exists(name));
    return QFile::encodeName(name);
}

void removeLeftoverTemporaries(const QString& path) {
    static const QRegularExpression ours(QStringLiteral("^(?:(\\d+)\\.)?[0-9a-z]+\\.tmp$"));
    const QFileInfo target(path);
    const QString stem = stemOf(path);
    const QDir folder = target.absoluteDir();
    for (const QString& name :
         folder.entryList({stem + QStringLiteral("*.tmp")}, QDir::Files | QDir::Hidden)) {
        const QRegularExpressionMatch m = ours.match(QStringView(name).mid(stem.size()));
        if (!m.hasMatch())
            continue;
        const QString file = folder.filePath(name);
        const bool left = m.capturedLength(1) > 0 ? !processAlive(m.captured(1).toLongLong())
                                                  : !heldOpen(file);
        if (left)
            QFile::remove(file);
    }
}
