#include "search/FindCommand.h"

#include "platform/CommandLine.h"
#include "platform/Errors.h"
#include "search/PersonSearch.h"
#include "store/LoadedFile.h"

#include <QCommandLineParser>

#include <algorithm>
#include <cstdio>

namespace {

int usage() {
    std::fprintf(stderr, "usage: zilvaren-cli find FILE.qdb WORD "
                         "[--fields ID,AdSoyad,Tel,Adres,Firma,Notlar,Grup]\n");
    return 2;
}

// The boxes named by a comma-separated list of the file's check names.
std::optional<SearchChecks> checksFromNames(const QString& names) {
    SearchChecks checks{};
    for (const QString& name : names.split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        const auto* end = kFindCheckKeys.begin() + CheckTamami;
        const auto* it = std::find(kFindCheckKeys.begin(), end, name);
        if (it == end)
            return std::nullopt;
        checks[size_t(it - kFindCheckKeys.begin())] = true;
    }
    return checks;
}

} // namespace

int runFindCommand(const QStringList& args) {
    const QCommandLineOption fields(QStringLiteral("fields"), {}, QStringLiteral("NAMES"));
    QCommandLineParser parser;
    parser.addOption(fields);
    if (!parser.parse(QStringList{QStringLiteral("zilvaren-cli")} + args) ||
        parser.positionalArguments().size() != 2)
        return usage();
    std::optional<SearchChecks> checks;
    if (parser.isSet(fields)) {
        checks = checksFromNames(parser.value(fields));
        if (!checks)
            return usage();
    }
    try {
        const auto file = LoadedFile::read(parser.positionalArguments()[0]);
        RecordDocument& document = file->document;
        if (checks)
            document.find().checks = *checks;
        const std::optional<SearchResult> result =
            runSearch(document, parser.positionalArguments()[1]);
        if (result)
            for (const SearchRow& row : result->rows) {
                const QString line =
                    QStringList{row.RecordNo, row.FirstName, row.Surname, row.Places}.join(
                        QLatin1Char('\t'));
                std::fprintf(stdout, "%s\n", line.toUtf8().constData());
            }
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}
