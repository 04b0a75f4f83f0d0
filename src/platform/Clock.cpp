#include "platform/Clock.h"

Clock::~Clock() = default;

QString Clock::stamp(const QDateTime& t) {
    return t.toString(QStringLiteral("dd.MM.yyyy  hh:mm:ss"));
}
