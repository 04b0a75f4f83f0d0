#pragma once

#include <QString>

#include <cstdio>

// An error of zilvaren-cli on standard error; a '\r' in the program's
// messages becomes a line break.
inline void printCliError(const QString& text) {
    QString t = text;
    t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    std::fprintf(stderr, "zilvaren-cli: %s\n", t.toUtf8().constData());
}
