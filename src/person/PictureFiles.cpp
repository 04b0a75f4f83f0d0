#include "person/PictureFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace pictures {

namespace {

const QStringList kPictureSuffixes = {QStringLiteral("jpg"), QStringLiteral("jpeg"),
                                      QStringLiteral("bmp"), QStringLiteral("ico"),
                                      QStringLiteral("emf"), QStringLiteral("wmf")};

bool containsNoCase(const QStringList& list, const QString& name) {
    return list.contains(name, Qt::CaseInsensitive);
}

// The entry of a folder that matches name without regard to case; the
// first in name order, so the choice does not depend on the file system.
QString matchNoCase(const QString& folder, const QString& name) {
    const QStringList entries = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& e : entries)
        if (e.compare(name, Qt::CaseInsensitive) == 0)
            return e;
    return {};
}

} // namespace

QString openDialogFilter() {
    return QStringLiteral("All (*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf)|"
                          "*.jpg;*.jpeg;*.bmp;*.ico;*.emf;*.wmf|"
                          "JPEG Image File (*.jpg)|*.jpg|"
                          "JPEG Image File (*.jpeg)|*.jpeg|"
                          "Bitmaps (*.bmp)|*.bmp|"
                          "Icons (*.ico)|*.ico|"
                          "Enhanced Metafiles (*.emf)|*.emf|"
                          "Metafiles (*.wmf)|*.wmf");
}

QString resolve(const QString& folder, const QString& entry) {
    QString path = entry;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (path.trimmed().isEmpty())
        return {};
    const bool absolute = QDir::isAbsolutePath(path);
    const QString exact = QDir::cleanPath(absolute ? path : folder + QLatin1Char('/') + path);
    if (QFileInfo(exact).isFile())
        return exact;
    // Records written elsewhere may spell the names in another case.
    QString at = absolute ? QStringLiteral("/") : folder;
    for (const QString& part : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (part == u".")
            continue;
        if (part != u".." && !QFileInfo::exists(at + QLatin1Char('/') + part)) {
            const QString match = matchNoCase(at, part);
            if (match.isEmpty())
                return {};
            at += QLatin1Char('/') + match;
            continue;
        }
        at += QLatin1Char('/') + part;
    }
    at = QDir::cleanPath(at);
    return QFileInfo(at).isFile() ? at : QString();
}

QString numberedName(const QString& fileName, const QStringList& personEntries,
                     const QStringList& folderEntries) {
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString base = dot < 0 ? fileName : fileName.left(dot);
    const QString ext = dot < 0 ? QString() : fileName.mid(dot);
    QString name = fileName;
    for (int n = 1; containsNoCase(personEntries, name) || containsNoCase(folderEntries, name); ++n)
        name = base + QString::number(n) + ext;
    return name;
}

bool mayDeleteFile(const QString& entry) {
    if (entry.contains(QLatin1Char('/')) || entry.contains(QLatin1Char('\\')) || entry == u"." ||
        entry == u"..")
        return false;
    const qsizetype dot = entry.lastIndexOf(QLatin1Char('.'));
    return dot > 0 && containsNoCase(kPictureSuffixes, entry.mid(dot + 1));
}

QRect fitIntoFrame(const QSize& naturalSize, const QSize& frameSize) {
    qint64 w = naturalSize.width();
    qint64 h = naturalSize.height();
    if (w <= 0 || h <= 0)
        return {};
    const qint64 aw = frameSize.width() - 3;
    const qint64 ah = frameSize.height() - 3;
    if (w >= aw || h >= ah) {
        // Exact in integers: the smaller of aw / w and ah / h, truncated.
        if (aw * h <= ah * w) {
            h = std::max<qint64>(1, h * aw / w);
            w = aw;
        } else {
            w = std::max<qint64>(1, w * ah / h);
            h = ah;
        }
    }
    return QRect(int((frameSize.width() - w) / 2), int((frameSize.height() - h) / 2), int(w),
                 int(h));
}

PendingFiles::Changes PendingFiles::take() {
    Changes changes{copied_, removed_};
    copied_.clear();
    removed_.clear();
    return changes;
}

void PendingFiles::cancelled(const QString& folder, const AllEntries& entries) {
    deleteUnnamed(folder, copied_, entries());
    copied_.clear();
    removed_.clear();
}

QStringList deleteUnnamed(const QString& folder, const QStringList& candidates,
                          const QStringList& keep) {
    QSet<QString> named;
    bool namedKnown = false;
    QStringList kept;
    for (const QString& candidate : candidates) {
        if (!mayDeleteFile(candidate))
            continue;
        const QString file = resolve(folder, candidate);
        if (file.isEmpty())
            continue;
        if (!namedKnown) {
            // Compared as the files they reach, so case and spelling of the
            // entries do not matter.
            for (const QString& e : keep) {
                const QString f = resolve(folder, e);
                if (!f.isEmpty())
                    named.insert(QFileInfo(f).canonicalFilePath());
            }
            namedKnown = true;
        }
        if (named.contains(QFileInfo(file).canonicalFilePath()))
            kept.append(candidate);
        else
            QFile::remove(file);
    }
    return kept;
}

} // namespace pictures
