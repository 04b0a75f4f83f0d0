#include "telephony/serial/EZvCommError.h"

#include <cstring>

void raiseCommError(const char* message, int error) {
    QString text = QString::fromLatin1(message);
    text.replace(QLatin1String("%d"), QString::number(error));
    text.replace(QLatin1String("%s"), QString::fromLocal8Bit(std::strerror(error)));
    throw EZvCommError(text);
}
