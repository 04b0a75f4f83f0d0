#include "tools/ToolsCommand.h"

#include "platform/CommandLine.h"
#include "platform/Errors.h"
#include "store/RecordFileRewrite.h"
#include "store/PersonRecord.h"
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
        const bool renumbering = parser.isSet(renumber);
        using Tool = void (*)(PersonRecord&);
        const Tool tool =
            parser.isSet(strip) ? Tool(removeContactSpaces) : Tool(splitContactNumbers);
        rewriteRecordFile(parser.positionalArguments()[0], parser.value(out), [=] {
            if (!renumbering)
                return RecordFileEdit{tool, {}};
            auto position = std::make_shared<int>(0);
            return RecordFileEdit{
                [position](PersonRecord& p) { p.RecordNo = renumberedRecordNo(++*position); }, {}};
        });
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}
