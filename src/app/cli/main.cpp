// zilvaren-cli: the program's record-file operations for scripting,
// repair and tests, on the same code the windows use.
#include "app/cli/CliCommands.h"
#include "platform/Allocator.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstring>
#include <memory>

int main(int argc, char** argv) {
    tuneAllocatorForRecords();
    // Qt would take options of its own (--style among them) out of the
    // arguments: it is given the program's name alone.
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args.append(QString::fromLocal8Bit(argv[i]));
    int qtArgc = 1;
    // Printing lays pages out with fonts, which need the GUI part of Qt;
    // it runs without a display.
    std::unique_ptr<QCoreApplication> app;
    if (argc > 1 && std::strcmp(argv[1], "print") == 0) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        app = std::make_unique<QGuiApplication>(qtArgc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(qtArgc, argv);
    }
    return runCli(args);
}
