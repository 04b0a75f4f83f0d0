// zilvaren-cli: the program's record-file operations for scripting,
// repair and tests, on the same code the windows use.
#include "app/cli/CliCommands.h"
#include "platform/Allocator.h"

#include <QCoreApplication>

int main(int argc, char** argv) {
    tuneAllocatorForRecords();
    QCoreApplication app(argc, argv);
    return runCli(QCoreApplication::arguments().mid(1));
}
