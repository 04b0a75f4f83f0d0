// The commands of zilvaren-cli that need the libraries of pages, of the
// network and of the document's history: print, sync and merge.
// zilvaren-cli hands them over to this program.
#include "app/cli/CliCommands.h"
#include "app/cli/CliPassword.h"
#include "platform/CommandLine.h"
#include "platform/Errors.h"
#include "duplicates/DuplicatesCommand.h"
#include "platform/Allocator.h"
#include "print/PrintCommand.h"
#include "sync/SyncCommand.h"

#include <QGuiApplication>

#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    tuneAllocatorForRecords();
    // Printing lays pages out with fonts, which need the GUI part of Qt;
    // it runs without a display.
    const bool printing = argc > 1 && std::strcmp(argv[1], "print") == 0;
    // Qt would take options of its own (--style among them) out of the
    // arguments: it is given the program's name alone.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    int qtArgc = 1;
    std::unique_ptr<QCoreApplication> app;
    if (printing) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(qtArgc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(qtArgc, argv);
    }
    const bool syncing = args.value(0) == QLatin1String("sync");
    if (!printing && !syncing && args.value(0) != QLatin1String("merge"))
        return runCli(args);
    try {
        takeRecordFilePassword(args);
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
    if (printing)
        return runPrintCommand(args.mid(1));
    if (syncing)
        return runSyncCommand(args.mid(1));
    return runMergeCommand(args.mid(1));
}
