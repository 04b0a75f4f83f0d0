#include "sync/SyncState.h"

#include "platform/Errors.h"
#include "platform/FileProblems.h"
#include "platform/SafeFile.h"
#include "store/ProtectedFile.h"

#include <QBuffer>

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QByteArray kMagic = "VELMORA-SYNC 1";

// One field of a line: no TAB or line break of its own.
QByteArray escaped(QByteArrayView value) {
    QByteArray out;
    out.reserve(value.size());
    for (const char c : value) {
        if (c == '\\')
            out.append("\\\\");
        else if (c == '\t')
            out.append("\\t");
        else if (c == '\n')
            out.append("\\n");
        else if (c == '\r')
            out.append("\\r");
        else
            out.append(c);
    }
    return out;
}

QByteArray unescaped(QByteArrayView value) {
    QByteArray out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out.append(value[i]);
            continue;
        }
        const char next = value[++i];
        out.append(next == 't' ? '\t' : next == 'n' ? '\n' : next == 'r' ? '\r' : next);
    }
    return out;
}

QString text(QByteArrayView value) {
    return QString::fromUtf8(unescaped(value));
}

} // namespace

QString SyncState::fileFor(const QString& recordFile) {
    const QFileInfo info(recordFile);
    return info.absoluteDir().filePath(info.completeBaseName() + QStringLiteral(".sync"));
}

SyncState SyncState::read(const QString& path, const FileKey* key) {
    SyncState state;
    if (!QFileInfo::exists(path))
        return state;
    QFile file(path);
    const auto unreadable = [&path](const QString& why) {
        return ZilvarenError(
            QStringLiteral("Eşitleme bilgisi \"%1\" okunamadı.\r%2").arg(path, why));
    };
    if (const auto reason = openToRead(file))
        throw unreadable(*reason);
    QByteArray bytes = file.readAll();
    if (isProtectedRecordFile(bytes)) {
        if (!key)
            throw unreadable(QStringLiteral("Eşitleme bilgisi parola ile korunuyor."));
        QBuffer sealed(&bytes);
        sealed.open(QIODevice::ReadOnly);
        bytes = unprotectRecordFile(sealed, *key, path);
    }
    const QList<QByteArray> lines = bytes.split('\n');
    if (lines.value(0) != kMagic)
        throw unreadable(QStringLiteral("Bu dosya bir eşitleme bilgisi dosyası değil."));
    for (const QByteArray& line : lines.mid(1)) {
        const QList<QByteArray> f = line.split('\t');
        const QByteArray& kind = f[0];
        if (kind == "server" && f.size() == 2)
            state.server = text(f[1]);
        else if (kind == "user" && f.size() == 2)
            state.user = text(f[1]);
        else if (kind == "book" && f.size() == 2)
            state.book = text(f[1]);
        else if (kind == "token" && f.size() == 2)
            state.token = unescaped(f[1]);
        else if (kind == "card" && f.size() == 5)
            state.cards.insert(text(f[1]), {text(f[2]), unescaped(f[3]), unescaped(f[4])});
        else if (kind == "foreign" && f.size() == 3)
            state.foreign.insert(text(f[1]), unescaped(f[2]));
    }
    return state;
}

void SyncState::write(const QString& path, const FileKey* key) const {
    QByteArray out = kMagic + '\n';
    const auto field = [&out](const char* kind, QByteArrayView value) {
        out.append(kind).append('\t').append(escaped(value)).append('\n');
    };
    field("server", server.toUtf8());
    field("user", user.toUtf8());
    field("book", book.toUtf8());
    field("token", token);
    for (auto it = cards.cbegin(); it != cards.cend(); ++it)
        out.append("card\t")
            .append(escaped(it.key().toUtf8()))
            .append('\t')
            .append(escaped(it->href.toUtf8()))
            .append('\t')
            .append(escaped(it->etag))
            .append('\t')
            .append(escaped(it->digest))
            .append('\n');
    for (auto it = foreign.cbegin(); it != foreign.cend(); ++it)
        out.append("foreign\t")
            .append(escaped(it.key().toUtf8()))
            .append('\t')
            .append(escaped(it.value()))
            .append('\n');
    if (key)
        out = protectRecordBytes(out, *key);
    writeFileSafely(path, out, QStringLiteral("Eşitleme bilgisi %1 dosyasına yazılamadı."));
}
