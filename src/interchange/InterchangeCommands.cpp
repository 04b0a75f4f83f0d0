#include "interchange/InterchangeCommands.h"

#include "interchange/AddressBookImport.h"
#include "interchange/CsvExport.h"
#include "interchange/VCardImport.h"
#include "interchange/VCardWriter.h"
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
        // The group's persons are its path's and those below; whether the
        // group exists is known once the whole file is read.
        const QString wanted = parser.value(groupOption);
        const QString key = TurkceUpperCase(joinGroupPath(splitGroupPath(wanted)));
        const bool all = !parser.isSet(groupOption);
        const RecordFileData data =
            readRecordFile(recordFile, [&](PersonRecord& p, const RecordFileData&) {
                if (all || pathLiesIn(p.GroupPath, key))
                    file.add(p);
            });
        if (data.error)
            throw ZilvarenError(*data.error);
        if (!all && !FindPersonGroup(*data.groups, wanted) &&
            TurkceUpperCase(wanted) != TurkceUpperCase(kNoGroupPath)) {
            printCliError(QStringLiteral("no such group: %1").arg(wanted));
            return 1;
        }
        printOut(vcardExportMessage(out, file.commit()));
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}
