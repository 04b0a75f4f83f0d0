#include "search/FindCommand.h"

#include "platform/CommandLine.h"
#include "platform/Errors.h"
#include "platform/TurkishText.h"
#include "search/PersonSearch.h"
#include "store/RecordFileReader.h"

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
        const QString path = parser.positionalArguments()[0];
        const QString word = parser.positionalArguments()[1].trimmed();
        const QString key = TurkceUpperCase(word);
        // The boxes are the file's unless named here. The file ticks them
        // before its persons; one that ticks them later is read again.
        const auto fileChecks = [](const RecordFileData& data) {
            SearchChecks ticked{};
            for (size_t c = 0; c < ticked.size(); ++c)
                ticked[c] = data.findChecks[c].value_or(false);
            return ticked;
        };
        std::optional<SearchChecks> used = checks;
        std::vector<SearchRow> rows;
        const auto search = [&](PersonRecord& p, const RecordFileData& before) {
            if (!used)
                used = fileChecks(before);
            if (!word.isEmpty())
                if (std::optional<SearchRow> row = matchRow(p, key, *used))
                    rows.push_back(std::move(*row));
        };
        const RecordFileData data = readRecordFile(path, search);
        if (data.error)
            throw ZilvarenError(*data.error);
        if (!checks && used && *used != fileChecks(data)) {
            used = fileChecks(data);
            rows.clear();
            readRecordFile(path, [&](PersonRecord& p, const RecordFileData&) {
                if (std::optional<SearchRow> row = matchRow(p, key, *used))
                    rows.push_back(std::move(*row));
            });
        }
        for (const SearchRow& row : rows) {
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
