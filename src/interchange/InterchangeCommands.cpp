#include "interchange/InterchangeCommands.h"

#include "interchange/AddressBookImport.h"
#include "interchange/BirthdayCalendar.h"
#include "interchange/CsvExport.h"
#include "interchange/TableImport.h"
#include "interchange/VCardImport.h"
#include "interchange/VCardWriter.h"
#include "interchange/XlsxExport.h"
#include "platform/Clock.h"
#include "platform/CommandLine.h"
#include "platform/Errors.h"
#include "platform/FileProblems.h"
#include "platform/TurkishText.h"
#include "store/RecordFileRewrite.h"
#include "store/RecordFileReader.h"

#include <QCommandLineParser>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <functional>

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
    std::fprintf(
        stderr,
        "usage: zilvaren-cli export-vcard FILE.qdb [--group PATH] [--photos] -o CARDS.vcf\n");
    return 2;
}

int importCsvUsage() {
    std::fprintf(stderr, "usage: zilvaren-cli import-csv FILE.qdb IN.csv [--map COLUMN=FIELD ...] "
                         "[--group PATH] [--replace-unencodable] -o OUT.qdb\n"
                         "       zilvaren-cli import-csv FILE.qdb IN.csv [--map COLUMN=FIELD ...] "
                         "--show-map\n");
    return 2;
}

int exportXlsxUsage() {
    std::fprintf(stderr, "usage: zilvaren-cli export-xlsx FILE.qdb [--group PATH] -o OUT.xlsx\n");
    return 2;
}

int exportIcsUsage() {
    std::fprintf(stderr, "usage: zilvaren-cli export-ics FILE.qdb -o OUT.ics\n");
    return 2;
}

// A group named on the command line, as the tree spells it; "Belli Değil"
// is always known. Throws ZilvarenError when there is no such group.
QString namedGroup(const GroupNode& groups, const QString& wanted) {
    if (const GroupNode* node = FindPersonGroup(groups, wanted))
        return BuildGroupPath(node);
    if (TurkceUpperCase(wanted) == TurkceUpperCase(kNoGroupPath))
        return kNoGroupPath;
    throw ZilvarenError(QStringLiteral("no such group: %1").arg(wanted));
}

// The options of one command; false when args do not parse.
bool parse(QCommandLineParser& parser, const QStringList& args) {
    // The parser takes the program name first.
    return parser.parse(QStringList{QStringLiteral("zilvaren-cli")} + args);
}

// The group an import files into: --group as the tree names it, else the
// file's focused group. Throws ZilvarenError when the file has no groups
// or no such group.
QString importGroup(const RecordFileData& file, const QCommandLineParser& parser,
                    const QCommandLineOption& groupOption) {
    if (file.groups->children.empty())
        throw ZilvarenError(kImportNeedsGroupMessage);
    if (parser.isSet(groupOption))
        return namedGroup(*file.groups, parser.value(groupOption));
    return BuildGroupPath(file.groupToSelect);
}

// Imported persons go into a group that exists; only "Belli Değil" may be
// missing, and it is made.
std::vector<std::unique_ptr<PersonRecord>>
intoGroup(RecordFileData& file, std::vector<std::unique_ptr<PersonRecord>> persons,
          const QString& groupPath) {
    if (!persons.empty() && !FindPersonGroup(*file.groups, groupPath))
        resolveGroupPath(*file.groups, groupPath, false);
    return persons;
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
        int count = 0;
        rewriteRecordFile(positional[0], parser.value(outOption), [&] {
            return RecordFileEdit{{}, [&](RecordFileData& file) {
                                      const QString group = importGroup(file, parser, groupOption);
                                      const SystemClock clock;
                                      AddressBookRead read =
                                          readAddressBookFile(positional[1], group, clock);
                                      count = int(read.persons.size());
                                      return intoGroup(file, std::move(read.persons), group);
                                  }};
        });
        printOut(importCountMessage(count));
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
        const QString folder = QDir::currentPath();
        ExportFile file(parser.isSet(outOption) ? parser.value(outOption)
                                                : QDir(folder).filePath(kExportFileName));
        // A person at a time, straight from the record file to the export.
        const RecordFileData data =
            readRecordFile(parser.positionalArguments()[0],
                           [&file](PersonRecord& p, const RecordFileData&) { file.add(p); });
        if (data.error)
            throw ZilvarenError(*data.error);
        file.commit();
        if (!parser.isSet(outOption))
            printOut(exportDoneMessage(folder));
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
        const QString out = parser.value(outOption);
        QString message;
        rewriteRecordFile(positional[0], out, [&] {
            auto numbers = std::make_shared<RecordNumbers>();
            return RecordFileEdit{
                [numbers](PersonRecord& p) { numbers->see(p.RecordNo); },
                [&, numbers](RecordFileData& file) {
                    const QString group = importGroup(file, parser, groupOption);
                    QFile cards(positional[1]);
                    if (const auto reason = openToRead(cards))
                        throw ZilvarenError(QStringLiteral("\"%1\" dosyası okunamadı.\r%2")
                                                .arg(positional[1], *reason));
                    const SystemClock clock;
                    VCardImportPlan plan = planVCardImport(cards, group, numbers->next(), clock);
                    if (plan.error)
                        throw ZilvarenError(*plan.error);
                    if (!plan.unencodable.isEmpty()) {
                        if (!parser.isSet(replaceOption))
                            throw ZilvarenError(plan.unencodable.join(u'\r') +
                                                QStringLiteral("\rnothing imported; "
                                                               "--replace-unencodable imports "
                                                               "them as \"?\""));
                        replaceUnencodable(plan);
                    }
                    auto persons = takeVCardPersons(plan, QFileInfo(out).absolutePath());
                    message = vcardImportMessage(int(persons.size()), plan);
                    return intoGroup(file, std::move(persons), group);
                }};
        });
        printOut(message.replace(u'\r', u'\n'));
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}

namespace {

// Reads the persons of a record file one at a time and hands those of the
// --group named (and of its sub-groups), or all, to add. Throws
// ZilvarenError for a file that cannot be read or a group it lacks.
void readGroupPersons(const QString& recordFile, const QCommandLineParser& parser,
                      const QCommandLineOption& groupOption,
                      const std::function<void(const PersonRecord&)>& add) {
    // Whether the group exists is known once the whole file is read.
    const QString wanted = parser.value(groupOption);
    const QString key = TurkceUpperCase(joinGroupPath(splitGroupPath(wanted)));
    const bool all = !parser.isSet(groupOption);
    const RecordFileData data =
        readRecordFile(recordFile, [&](PersonRecord& p, const RecordFileData&) {
            if (all || pathLiesIn(p.GroupPath, key))
                add(p);
        });
    if (data.error)
        throw ZilvarenError(*data.error);
    if (!all && !FindPersonGroup(*data.groups, wanted) &&
        TurkceUpperCase(wanted) != TurkceUpperCase(kNoGroupPath))
        throw ZilvarenError(QStringLiteral("no such group: %1").arg(wanted));
}

} // namespace

int runImportCsvCommand(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption mapOption(QStringLiteral("map"), {}, QStringLiteral("COLUMN=FIELD"));
    const QCommandLineOption showOption(QStringLiteral("show-map"));
    const QCommandLineOption groupOption(QStringLiteral("group"), {}, QStringLiteral("PATH"));
    const QCommandLineOption replaceOption(QStringLiteral("replace-unencodable"));
    const QCommandLineOption outOption(QStringLiteral("o"), {}, QStringLiteral("OUT"));
    parser.addOptions({mapOption, showOption, groupOption, replaceOption, outOption});
    if (!parse(parser, args) || parser.positionalArguments().size() != 2 ||
        parser.isSet(showOption) == parser.isSet(outOption))
        return importCsvUsage();
    const QStringList positional = parser.positionalArguments();
    try {
        const Table table = readTableFile(positional[1]);
        if (table.header.isEmpty())
            throw ZilvarenError(QStringLiteral("\"%1\" dosyasında tablo yok.").arg(positional[1]));
        TableMapping mapping = guessMapping(table.header);
        for (const QString& option : parser.values(mapOption))
            applyMapOption(mapping, table.header, option);
        if (parser.isSet(showOption)) {
            for (const QString& line : mappingLines(mapping, table.header))
                printOut(line);
            return 0;
        }
        QString message;
        rewriteRecordFile(positional[0], parser.value(outOption), [&] {
            auto numbers = std::make_shared<RecordNumbers>();
            return RecordFileEdit{
                [numbers](PersonRecord& p) { numbers->see(p.RecordNo); },
                [&, numbers](RecordFileData& file) {
                    const QString group = importGroup(file, parser, groupOption);
                    const SystemClock clock;
                    TableImportPlan plan =
                        planTableImport(table, mapping, group, numbers->next(), clock);
                    if (!plan.unencodable.isEmpty()) {
                        if (!parser.isSet(replaceOption))
                            throw ZilvarenError(plan.unencodable.join(u'\r') +
                                                QStringLiteral("\rnothing imported; "
                                                               "--replace-unencodable imports "
                                                               "them as \"?\""));
                        replaceUnencodable(plan);
                    }
                    message = tableImportMessage(int(plan.persons.size()), plan);
                    return intoGroup(file, std::move(plan.persons), group);
                }};
        });
        printOut(message.replace(u'\r', u'\n'));
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}

int runExportXlsxCommand(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption groupOption(QStringLiteral("group"), {}, QStringLiteral("PATH"));
    const QCommandLineOption outOption(QStringLiteral("o"), {}, QStringLiteral("OUT"));
    parser.addOptions({groupOption, outOption});
    if (!parse(parser, args) || parser.positionalArguments().size() != 1 ||
        !parser.isSet(outOption))
        return exportXlsxUsage();
    try {
        const QString out = parser.value(outOption);
        XlsxFile file(out);
        readGroupPersons(parser.positionalArguments()[0], parser, groupOption,
                         [&file](const PersonRecord& p) { file.add(p); });
        printOut(xlsxExportMessage(out, file.commit()));
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}

int runExportIcsCommand(const QStringList& args) {
    QCommandLineParser parser;
    const QCommandLineOption outOption(QStringLiteral("o"), {}, QStringLiteral("OUT"));
    parser.addOption(outOption);
    if (!parse(parser, args) || parser.positionalArguments().size() != 1 ||
        !parser.isSet(outOption))
        return exportIcsUsage();
    try {
        const QString out = parser.value(outOption);
        BirthdayCalendarFile file(out, SystemClock().now());
        const RecordFileData data =
            readRecordFile(parser.positionalArguments()[0],
                           [&file](PersonRecord& p, const RecordFileData&) { file.add(p); });
        if (data.error)
            throw ZilvarenError(*data.error);
        printOut(birthdayCalendarMessage(out, file.commit()));
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
    if (!parse(parser, args) || parser.positionalArguments().size() != 1)
        return exportVCardUsage();
    if (!parser.isSet(outOption))
        return exportVCardUsage();
    const QString recordFile = parser.positionalArguments()[0];
    try {
        VCardExportOptions options;
        options.pictures = parser.isSet(photosOption);
        options.pictureFolder = QFileInfo(recordFile).absolutePath();
        const QString out = parser.value(outOption);
        VCardFileWriter file(out, options);
        readGroupPersons(recordFile, parser, groupOption,
                         [&file](const PersonRecord& p) { file.add(p); });
        printOut(vcardExportMessage(out, file.commit()));
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}
