#include "interchange/InterchangeCommands.h"

#include "interchange/AddressBookImport.h"
#include "interchange/CsvExport.h"
#include "platform/Clock.h"
#include "platform/CommandLine.h"
#include "platform/Errors.h"
#include "platform/TurkishText.h"
#include "store/LoadedFile.h"

#include <QCommandLineParser>
#include <QDir>

#include <cstdio>

namespace {

void printOut(const QString& text) {
    std::fprintf(stdout, "%s\n", text.toUtf8().constData());
}

int importUsage() {
    std::fprintf(stderr,
                 "usage: zilvaren-cli import FILE.qdb ADDRESSBOOK.txt [--group PATH] -o OUT.qdb\n");
    return 2;
}

int exportUsage() {
    std::fprintf(stderr, "usage: zilvaren-cli export FILE.qdb [-o Export.csv]\n");
    return 2;
}

// The options of one command; false when args do not parse.
bool parse(QCommandLineParser& parser, const QStringList& args) {
    // The parser takes the program name first.
    return parser.parse(QStringList{QStringLiteral("zilvaren-cli")} + args);
}

} // namespace

int runImportCommand(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption groupOption(QStringLiteral("group"), {}, QStringLiteral("PATH"));
    const QCommandLineOption outOption(QStringLiteral("o"), {}, QStringLiteral("OUT"));
    parser.addOptions({groupOption, outOption});
    if (!parse(parser, args) || parser.positionalArguments().size() != 2 ||
        !parser.isSet(outOption))
        return importUsage();
    const QStringList positional = parser.positionalArguments();
    try {
        const auto file = LoadedFile::read(positional[0]);
        RecordDocument& document = file->document;
        if (document.groups().isEmpty()) {
            printCliError(kImportNeedsGroupMessage);
            return 1;
        }
        QString group = BuildGroupPath(file->focusedGroup);
        if (parser.isSet(groupOption)) {
            // As in the program: the group as the tree spells it, or no
            // group at all.
            const QString wanted = parser.value(groupOption);
            if (const GroupNode* node = FindPersonGroup(document.groups().root(), wanted)) {
                group = BuildGroupPath(node);
            } else if (TurkceUpperCase(wanted) == TurkceUpperCase(kNoGroupPath)) {
                group = kNoGroupPath;
            } else {
                printCliError(QStringLiteral("no such group: %1").arg(wanted));
                return 1;
            }
        }
        const SystemClock clock;
        const AddressBookImport result = importAddressBook(document, positional[1], group, clock);
        if (result.error) {
            printCliError(*result.error);
            return 1;
        }
        file->save(parser.value(outOption));
        printOut(importCountMessage(result.count));
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}

int runExportCommand(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption outOption(QStringLiteral("o"), {}, QStringLiteral("OUT"));
    parser.addOption(outOption);
    if (!parse(parser, args) || parser.positionalArguments().size() != 1)
        return exportUsage();
    try {
        const auto file = LoadedFile::read(parser.positionalArguments()[0]);
        const std::vector<const PersonRecord*> persons = file->document.persons().allPersons();
        if (parser.isSet(outOption)) {
            writeExportFile(parser.value(outOption), persons);
        } else {
            const QString folder = QDir::currentPath();
            exportToFolder(folder, persons);
            printOut(exportDoneMessage(folder));
        }
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}
