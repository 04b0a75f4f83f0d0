#include "app/cli/CliCommands.h"

#include "app/cli/CliPassword.h"

#include "duplicates/DuplicatesCommand.h"
#include "interchange/InterchangeCommands.h"
#include "platform/CommandLine.h"
#include "platform/Errors.h"
#include "search/FindCommand.h"
#include "store/RecordFileRewrite.h"
#include "store/RecordFileReader.h"
#include "store/RecordJson.h"
#include "telephony/DialCommand.h"
#include "tools/ToolsCommand.h"

#include <QJsonDocument>

#include <cstdio>

namespace {

constexpr const char* kUsage =
    "usage: zilvaren-cli dump FILE.qdb\n"
    "       zilvaren-cli save IN.qdb OUT.qdb\n"
    "       zilvaren-cli import FILE.qdb ADDRESSBOOK.txt [--group PATH] -o OUT.qdb\n"
    "       zilvaren-cli export FILE.qdb [-o Export.csv]\n"
    "       zilvaren-cli import-vcard FILE.qdb CARDS.vcf [--group PATH] "
    "[--replace-unencodable] -o OUT.qdb\n"
    "       zilvaren-cli export-vcard FILE.qdb [--group PATH] [--photos] -o CARDS.vcf\n"
    "       zilvaren-cli import-csv FILE.qdb IN.csv [--map COLUMN=FIELD ...] [--group PATH] "
    "[--replace-unencodable] -o OUT.qdb | --show-map\n"
    "       zilvaren-cli export-xlsx FILE.qdb [--group PATH] -o OUT.xlsx\n"
    "       zilvaren-cli export-ics FILE.qdb -o OUT.ics\n"
    "       zilvaren-cli tools FILE.qdb --strip-spaces|--split-phones|--renumber -o OUT.qdb\n"
    "       zilvaren-cli find FILE.qdb WORD --fields ID,AdSoyad,Tel,Adres,Firma,Notlar,Grup\n"
    "       zilvaren-cli duplicates FILE.qdb\n"
    "       zilvaren-cli merge FILE.qdb KEEP DROP [DROP...] -o OUT.qdb\n"
    "       zilvaren-cli print FILE.qdb [--group PATH] [--person NO | --style "
    "list|phones|labels|birthdays [--address home|work] [--month N]] -o OUT.pdf\n"
    "       zilvaren-cli sync FILE.qdb --url URL --user NAME [--password-file PATH]\n"
    "                    [--file-password-file PATH]\n"
    "       zilvaren-cli protect|unprotect IN.qdb -o OUT.qdb --password-file PATH\n"
    "       zilvaren-cli dial [--port N | --device PATH] [--timeout SECONDS] NUMBER\n"
    "       zilvaren-cli --help | --version\n"
    "A protected record file is opened with the first line of the file\n"
    "--password-file names, else with ZILVAREN_PASSWORD; what is written from it\n"
    "is protected too, except the exports.\n";

// A wrong command line: the usage, as an error.
int usage() {
    std::fputs(kUsage, stderr);
    return 2;
}

// The persons are printed as they are read, so a file of any size is
// dumped in little memory; the rest of the file, known at its end, follows.
int dump(const QStringList& args) {
    if (args.size() != 1)
        return usage();
    try {
        QByteArray out = "{\n    \"persons\": [";
        const char* separator = "\n        ";
        const RecordFileData data =
            readRecordFile(args[0], [&](PersonRecord& p, const RecordFileData&) {
                out += separator + QJsonDocument(personJson(p)).toJson(QJsonDocument::Compact);
                separator = ",\n        ";
                if (out.size() > (1 << 20)) {
                    std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
                    out.clear();
                }
            });
        QJsonObject rest = recordFileJson(data);
        rest.remove(QStringLiteral("persons"));
        // The rest's own braces go: its members join the persons'.
        const QByteArray members = QJsonDocument(rest).toJson(QJsonDocument::Indented).mid(1);
        out += "\n    ],";
        out += members;
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        return data.error ? 1 : 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}

// Read then write, as the program's open and save do; nothing is written
// unless the whole file could be read.
int save(const QStringList& args) {
    if (args.size() != 2)
        return usage();
    try {
        rewriteRecordFile(args[0], args[1]);
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}

} // namespace

int runCli(QStringList args) {
    if (args.isEmpty())
        return usage();
    try {
        takeRecordFilePassword(args);
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
    const QString command = args[0];
    const QStringList rest = args.mid(1);
    if (command == QLatin1String("--help") || command == QLatin1String("-h")) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == QLatin1String("--version")) {
        std::puts("zilvaren-cli " ZILVAREN_VERSION);
        return 0;
    }
    if (command == QLatin1String("dump"))
        return dump(rest);
    if (command == QLatin1String("save"))
        return save(rest);
    if (command == QLatin1String("import"))
        return runImportCommand(rest);
    if (command == QLatin1String("export"))
        return runExportCommand(rest);
    if (command == QLatin1String("import-vcard"))
        return runImportVCardCommand(rest);
    if (command == QLatin1String("export-vcard"))
        return runExportVCardCommand(rest);
    if (command == QLatin1String("import-csv"))
        return runImportCsvCommand(rest);
    if (command == QLatin1String("export-xlsx"))
        return runExportXlsxCommand(rest);
    if (command == QLatin1String("export-ics"))
        return runExportIcsCommand(rest);
    if (command == QLatin1String("tools"))
        return runToolsCommand(rest);
    if (command == QLatin1String("find"))
        return runFindCommand(rest);
    if (command == QLatin1String("dial"))
        return runDialCommand(rest);
    if (command == QLatin1String("duplicates"))
        return runDuplicatesCommand(rest);
    if (command == QLatin1String("protect") || command == QLatin1String("unprotect"))
        return runProtectCommand(rest, command == QLatin1String("protect"));
    return usage();
}
