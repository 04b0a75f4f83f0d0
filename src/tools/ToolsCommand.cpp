#include "tools/ToolsCommand.h"

#include "platform/CommandLine.h"
#include "platform/Errors.h"
#include "store/LoadedFile.h"
#include "tools/BulkTools.h"

#include <QCommandLineParser>

#include <cstdio>

namespace {

int usage() {
    std::fprintf(stderr, "usage: zilvaren-cli tools FILE.qdb --strip-spaces | --split-phones | "
                         "--renumber -o OUT.qdb\n");
    return 2;
}

} // namespace

int runToolsCommand(const QStringList& args) {
    const QCommandLineOption strip(QStringLiteral("strip-spaces"));
    const QCommandLineOption split(QStringLiteral("split-phones"));
    const QCommandLineOption renumber(QStringLiteral("renumber"));
    const QCommandLineOption out(QStringLiteral("o"), {}, QStringLiteral("OUT"));
    QCommandLineParser parser;
    parser.addOptions({strip, split, renumber, out});
    if (!parser.parse(QStringList{QStringLiteral("zilvaren-cli")} + args) ||
        parser.positionalArguments().size() != 1 || !parser.isSet(out) ||
        int(parser.isSet(strip)) + int(parser.isSet(split)) + int(parser.isSet(renumber)) != 1)
        return usage();
    try {
        const auto file = LoadedFile::read(parser.positionalArguments()[0]);
        if (parser.isSet(strip))
            removeContactSpaces(file->document);
        else if (parser.isSet(split))
            splitContactNumbers(file->document);
        else
            renumberRecords(file->document);
        file->save(parser.value(out));
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}
