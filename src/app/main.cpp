#include "app/AppWindows.h"
#include "app/TerminationSignals.h"
#include "platform/Allocator.h"
#include "platform/Clock.h"
#include "platform/SettingsStore.h"
#include "platform/qt/DesktopShellOpener.h"
#include "platform/qt/ErrorReportingApplication.h"
#include "platform/qt/QtPrompts.h"

int main(int argc, char** argv) {
    tuneAllocatorForRecords();
    ErrorReportingApplication app(argc, argv);
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
