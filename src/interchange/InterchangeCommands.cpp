#include "interchange/InterchangeCommands.h"

#include "interchange/AddressBookImport.h"
#include "interchange/CsvExport.h"
#include "interchange/VCardImport.h"
#include "interchange/VCardWriter.h"
#include "platform/FileProblems.h"
#include "platform/Clock.h"
#include "platform/CommandLine.h"
#include "platform/Errors.h"
#include "platform/TurkishText.h"
#include "store/LoadedFile.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>

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

int importVCardUsage() {
    std::fprintf(stderr, "usage: zilvaren-cli import-vcard FILE.qdb CARDS.vcf [--group PATH] "
                         "[--replace-unencodable] -o OUT.qdb\n");
    return 2;
}

int exportVCardUsage() {
    std::fprintf(stderr,
                 "usage: zilvaren-cli export-vcard FILE.qdb [--group PATH] [--photos] -o CARDS.vcf\n");
    return 2;
}

// A group named on the command line, as the tree spells it; "Belli Değil"
// is always known. Prints the error and returns nothing when there is no
// such group.
std::optional<QString> namedGroup(const RecordDocument& document, const QString& wanted) {
    if (const GroupNode* node = FindPersonGroup(document.groups().root(), wanted))
        return BuildGroupPath(node);
    if (TurkceUpperCase(wanted) == TurkceUpperCase(kNoGroupPath))
        return kNoGroupPath;
    printCliError(QStringLiteral("no such group: %1").arg(wanted));
    return std::nullopt;
}

// The options of one command; false when args do not parse.
bool parse(QCommandLineParser& parser, const QStringList& args) {
    // The parser takes the program name first.
    return parser.parse(QStringList{QStringLiteral("zilvaren-cli")} + args);
}

// The group an import files into: --group as the tree names it, else the
// file's focused group; nullopt, with the message printed, when the file
// has no groups or no such group.
std::optional<QString> importGroup(const LoadedFile& file, const QCommandLineParser& parser,
                                   const QCommandLineOption& groupOption) {
    if (file.document.groups().isEmpty()) {
        printCliError(kImportNeedsGroupMessage);
        return std::nullopt;
    }
    if (parser.isSet(groupOption))
        return namedGroup(file.document, parser.value(groupOption));
    return BuildGroupPath(file.focusedGroup);
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
        const std::optional<QString> group = importGroup(*file, parser, groupOption);
        if (!group)
            return 1;
        const SystemClock clock;
        const AddressBookImport result = importAddressBook(document, positional[1], *group, clock);
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

int runImportVCardCommand(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption groupOption(QStringLiteral("group"), {}, QStringLiteral("PATH"));
    const QCommandLineOption replaceOption(QStringLiteral("replace-unencodable"));
    const QCommandLineOption outOption(QStringLiteral("o"), {}, QStringLiteral("OUT"));
    parser.addOptions({groupOption, replaceOption, outOption});
    if (!parse(parser, args) || parser.positionalArguments().size() != 2 ||
        !parser.isSet(outOption))
        return importVCardUsage();
    const QStringList positional = parser.positionalArguments();
    try {
        const auto file = LoadedFile::read(positional[0]);
        RecordDocument& document = file->document;
        const std::optional<QString> group = importGroup(*file, parser, groupOption);
        if (!group)
            return 1;
        QFile cards(positional[1]);
        if (const auto reason = openToRead(cards)) {
            printCliError(QStringLiteral("\"%1\" dosyası okunamadı.\r%2").arg(positional[1], *reason));
            return 1;
        }
        const SystemClock clock;
        VCardImportPlan plan =
            planVCardImport(cards, *group, nextRecordNumber(document), clock);
        if (plan.error) {
            printCliError(*plan.error);
            return 1;
        }
        if (!plan.unencodable.isEmpty()) {
            if (!parser.isSet(replaceOption)) {
                printCliError(plan.unencodable.join(u'\r') +
                              QStringLiteral("\rnothing imported; --replace-unencodable "
                                             "imports them as \"?\""));
                return 1;
            }
            replaceUnencodable(plan);
        }
        const QString out = parser.value(outOption);
        const int count = commitVCardImport(document, plan, QFileInfo(out).absolutePath());
        file->save(out);
        QString message = vcardImportMessage(count, plan);
        printOut(message.replace(u'\r', u'\n'));
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}

int runExportVCardCommand(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption groupOption(QStringLiteral("group"), {}, QStringLiteral("PATH"));
    const QCommandLineOption photosOption(QStringLiteral("photos"));
    const QCommandLineOption outOption(QStringLiteral("o"), {}, QStringLiteral("OUT"));
    parser.addOptions({groupOption, photosOption, outOption});
    if (!parse(parser, args) || parser.positionalArguments().size() != 1 ||
        !parser.isSet(outOption))
        return exportVCardUsage();
    const QString recordFile = parser.positionalArguments()[0];
    try {
        const auto file = LoadedFile::read(recordFile);
        std::vector<const PersonRecord*> persons = file->document.persons().allPersons();
        if (parser.isSet(groupOption)) {
            const std::optional<QString> named =
                namedGroup(file->document, parser.value(groupOption));
            if (!named)
                return 1;
            persons = personsInGroup(persons, *named);
        }
        VCardExportOptions options;
        options.pictures = parser.isSet(photosOption);
        options.pictureFolder = QFileInfo(recordFile).absolutePath();
        const QString out = parser.value(outOption);
        printOut(vcardExportMessage(out, writeVCardFile(out, persons, options)));
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}
