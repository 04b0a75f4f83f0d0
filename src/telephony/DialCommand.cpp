#include "telephony/DialCommand.h"

#include "platform/Errors.h"
#include "platform/SettingsStore.h"
#include "telephony/DialSession.h"
#include "telephony/serial/ZvExceptionHandler.h"

#include <QEventLoop>
#include <QTimer>

#include <cstdio>
#include <optional>

namespace {

constexpr int kDefaultTimeoutSeconds = 60;

void printLine(FILE* out, const QString& text) {
    std::fprintf(out, "%s\n", text.toUtf8().constData());
    std::fflush(out);
}

void printError(const QString& message) {
    QString text = message;
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    printLine(stderr, QStringLiteral("zilvaren-cli: ") + text);
}

int usage() {
    std::fprintf(stderr, "usage: zilvaren-cli dial [--port N | --device PATH] "
                         "[--timeout SECONDS] NUMBER\n");
    return 2;
}

// The dial window's port: the stored "COM n" choice, else COM 2.
int storedPortNum() {
    const std::optional<int> index = SettingsStore().pageSetup().comPort;
    return index && *index >= 0 && *index <= 5 ? *index + 1 : 2;
}

struct Options {
    std::optional<int> port;
    QString device;
    int timeoutSeconds = kDefaultTimeoutSeconds;
    QString number;
};

std::optional<Options> parse(const QStringList& args) {
    Options o;
    bool haveNumber = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        const bool hasValue = i + 1 < args.size();
        bool ok = true;
        if (a == QLatin1String("--port") && hasValue && !o.port && o.device.isEmpty()) {
            o.port = args[++i].toInt(&ok);
            ok = ok && *o.port > 0;
        } else if (a == QLatin1String("--device") && hasValue && !o.port && o.device.isEmpty()) {
            o.device = args[++i];
            ok = !o.device.isEmpty();
        } else if (a == QLatin1String("--timeout") && hasValue) {
            o.timeoutSeconds = args[++i].toInt(&ok);
            ok = ok && o.timeoutSeconds > 0;
        } else if (!a.startsWith(QLatin1String("--")) && !haveNumber) {
            o.number = a;
            haveNumber = true;
        } else {
            ok = false;
        }
        if (!ok)
            return std::nullopt;
    }
    if (!haveNumber)
        return std::nullopt;
    return o;
}

} // namespace

int runDialCommand(const QStringList& args) {
    const std::optional<Options> options = parse(args);
    if (!options)
        return usage();

    DialSession session;
    if (!options->device.isEmpty())
        session.setDevicePath(options->device);
    else
        session.setPortNum(options->port.value_or(storedPortNum()));
    session.setNumber(options->number);
    QObject::connect(&session, &DialSession::progressLine, &session,
                     [](const QString& line) { printLine(stdout, line); });

    // Errors raised inside the port's deliveries (a failed Dial after OK)
    // are shown like the window's handler would, and the call goes on.
    setZvExceptionHandler([](const std::exception& e) { printError(exceptionMessage(e)); });
    QEventLoop loop;
    QObject::connect(&session, &DialSession::workingChanged, &loop, [&loop](bool working) {
        if (!working)
            loop.quit();
    });
    try {
        session.dial();
    } catch (const std::exception& e) {
        printError(exceptionMessage(e));
        setZvExceptionHandler(nullptr);
        return 1;
    }
    QTimer::singleShot(options->timeoutSeconds * 1000, &session, [&session] { session.stop(); });
    loop.exec();
    setZvExceptionHandler(nullptr);
    return 0;
}
