// zilvaren-cli: the program's record-file operations for scripting,
// repair and tests, on the same code the windows use.
#include "app/cli/CliCommands.h"
#include "platform/Allocator.h"

#include <QCoreApplication>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

// Printing, sync and merging need the libraries of pages, fonts, the
// network and the document's history, whose loading alone would cost every
// other command more than a tenth of its time: they run in a program of
// their own (ZILVAREN_CLI_DESKTOP, relative to this one's folder).
[[noreturn]] void handOverToDesktopCommands(char** argv) {
    char self[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", self, sizeof self);
    std::string path(self, n > 0 ? size_t(n) : 0);
    path = path.substr(0, path.rfind('/') + 1) + ZILVAREN_CLI_DESKTOP;
    ::execv(path.c_str(), argv);
    std::fprintf(stderr, "zilvaren-cli: %s: %s\n", path.c_str(), std::strerror(errno));
    std::exit(1);
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && (std::strcmp(argv[1], "print") == 0 || std::strcmp(argv[1], "sync") == 0 ||
                     std::strcmp(argv[1], "merge") == 0))
        handOverToDesktopCommands(argv);
    tuneAllocatorForRecords();
    QCoreApplication app(argc, argv);
    return runCli(QCoreApplication::arguments().mid(1));
}
