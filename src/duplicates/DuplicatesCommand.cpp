#include "duplicates/DuplicatesCommand.h"

#include "duplicates/DuplicateSearch.h"
#include "platform/CommandLine.h"
#include "platform/Errors.h"
#include "store/RecordFileReader.h"

#include <QCommandLineParser>

#include <cstdio>

namespace {

// A number that is empty or holds a separator is quoted, so that the
// line still tells the numbers apart.
QString shownNumber(const QString& number) {
    const bool plain = !number.isEmpty() && std::none_of(number.begin(), number.end(), [](QChar c) {
        return c.isSpace() || c == QLatin1Char(',') || c == QLatin1Char('"');
    });
    return plain ? number : QLatin1Char('"') + number + QLatin1Char('"');
}

} // namespace

int runDuplicatesCommand(const QStringList& args) {
    if (args.size() != 1) {
        std::fprintf(stderr, "usage: zilvaren-cli duplicates FILE.qdb\n");
        return 2;
    }
    try {
        DuplicateFinder finder;
        QStringList numbers;
        const RecordFileData data = readRecordFile(args[0], [&](PersonRecord& p, const auto&) {
            finder.add(p);
            numbers.append(p.RecordNo);
        });
        if (data.error)
            throw ZilvarenError(*data.error);
        QByteArray out;
        for (const DuplicateGroup& g : finder.groups(data.differentPersons)) {
            QStringList shown;
            for (const int m : g.members)
                shown.append(shownNumber(numbers[m]));
            out += (shown.join(QLatin1Char(' ')) + QLatin1Char('\t') + reasonText(g.reasons))
                       .toUtf8() +
                   '\n';
        }
        std::fwrite(out.constData(), 1, size_t(out.size()), stdout);
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}
