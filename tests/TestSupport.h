#pragma once

#include "platform/Cp1254.h"

#include <QByteArray>
#include <QFile>
#include <QLocale>
#include <QString>

// Record file text in a test: '|' stands for the path separator byte and
// lines are joined with CR LF.
inline QByteArray recordBytes(const QStringList& lines) {
    QString text = lines.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
    text.replace(QLatin1Char('|'), QChar(0x00FF));
    return cp1254::encode(text);
}

inline QString path(const char* withBars) {
    QString s = QString::fromUtf8(withBars);
    s.replace(QLatin1Char('|'), QChar(0x00FF));
    return s;
}

inline void writeFile(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    if (f.open(QIODevice::WriteOnly))
        f.write(bytes);
}

inline QByteArray readFile(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void useTurkishLocale() { QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey)); }
