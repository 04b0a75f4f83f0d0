#pragma once

#include "platform/Errors.h"
#include "telephony/serial/ZvExceptionHandler.h"

#include <QByteArray>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <functional>
#include <memory>

// Exceptions that deliveries and timers hand to the application, kept for
// the test to look at.
struct ExceptionLog {
    QStringList messages;
    ExceptionLog() {
        setZvExceptionHandler(
            [this](const std::exception& e) { messages.append(exceptionMessage(e)); });
    }
    ~ExceptionLog() { setZvExceptionHandler(nullptr); }
};

// Runs f and gives the message of the ZilvarenError it threw ("" if none).
inline QString errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const ZilvarenError& e) {
        return e.message();
    }
    return QString();
}

// Keeps the settings store of the tests in a temporary folder.
inline std::unique_ptr<QTemporaryDir> isolateSettings() {
    auto dir = std::make_unique<QTemporaryDir>();
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir->path()));
    return dir;
}
