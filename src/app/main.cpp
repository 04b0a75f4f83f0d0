#include "app/AppWindows.h"
#include "app/TerminationSignals.h"
#include "platform/Allocator.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "platform/qt/DesktopShellOpener.h"
#include "platform/qt/ErrorReportingApplication.h"
#include "platform/qt/QtPrompts.h"

#include <QIcon>

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

// Answered before the application starts, so that they need no display;
// the exit code when the command line asked for one of them.
std::optional<int> answerInTerminal(int argc, char** argv) {
    if (argc < 2)
        return std::nullopt;
    const char* first = argv[1];
    if (std::strcmp(first, "--help") == 0 || std::strcmp(first, "-h") == 0) {
        std::fputs("usage: zilvaren [FILE.qdb]\n"
                   "       zilvaren --help | --version\n"
                   "Opens FILE.qdb, else the most recent record file, in the window of Velmora.\n",
                   stdout);
        return 0;
    }
    if (std::strcmp(first, "--version") == 0) {
        std::puts("zilvaren " ZILVAREN_VERSION);
        return 0;
    }
    return std::nullopt;
}

} // namespace

int main(int argc, char** argv) {
    if (const std::optional<int> exitCode = answerInTerminal(argc, argv))
        return *exitCode;
    tuneAllocatorForRecords();
    ErrorReportingApplication app(argc, argv);
    // Task bars match the window to its desktop entry by these: the entry's
    // name, and the window's class (StartupWMClass) whatever the program
    // file is called.
    QGuiApplication::setDesktopFileName(QStringLiteral("com.orvak.Velmora"));
    QCoreApplication::setApplicationName(QStringLiteral("zilvaren"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/com.orvak.Velmora.svg")));
    app.installTurkishTranslation();
    QtPrompts prompts;
    app.setPrompts(&prompts);
    SettingsStore settings;
    SystemClock clock;
    DesktopShellOpener shell;
    AppWindows windows({prompts, settings, clock, shell});
    windows.main().setStartupFiles(app.arguments().mid(1));
    TerminationSignals endFromOutside;
    QObject::connect(&endFromOutside, &TerminationSignals::terminationRequested, &windows.main(),
                     &TForm_Main::keepUnsavedWorkAndQuit);
    windows.main().show();
    return app.exec();
}
