#include "duplicates/DuplicatesCommand.h"

#include "duplicates/DuplicateMerge.h"
#include "platform/Clock.h"
#include "platform/CommandLine.h"
#include "platform/Errors.h"
#include "store/LoadedFile.h"

#include <QCommandLineParser>

#include <cstdio>

namespace {

// The one person of the file with the record number.
PersonRecord* personNumbered(const RecordDocument& document, const QString& number) {
    PersonRecord* found = nullptr;
    const PersonListModel& persons = document.persons();
    for (int i = 0; i < persons.personCount(); ++i) {
        PersonRecord* p = persons.personAt(i);
        if (p->RecordNo != number)
            continue;
        if (found)
            throw ZilvarenError(QStringLiteral("Kayıt No %1 dosyada birden çok kişide var; "
                                               "hangisinin kastedildiği belli değil.")
                                    .arg(number));
        found = p;
    }
    if (!found)
        throw ZilvarenError(QStringLiteral("Kayıt No %1 dosyada yok.").arg(number));
    return found;
}

} // namespace

int runMergeCommand(const QStringList& args) {
    const QCommandLineOption out(QStringLiteral("o"), {}, QStringLiteral("OUT"));
    QCommandLineParser parser;
    parser.addOption(out);
    const QStringList positional = parser.parse(QStringList{QStringLiteral("zilvaren-cli")} + args)
                                       ? parser.positionalArguments()
                                       : QStringList();
    if (positional.size() < 2 || !parser.isSet(out)) {
        std::fprintf(stderr, "usage: zilvaren-cli merge FILE.qdb KEEP DROP [DROP...] -o OUT.qdb\n");
        return 2;
    }
    try {
        if (positional.size() < 3)
            throw ZilvarenError(QStringLiteral("Birleştirilecek kişi verilmedi: Kayıt No %1 "
                                               "ile birleşecek en az bir Kayıt No gerekir.")
                                    .arg(positional[1]));
        const std::unique_ptr<LoadedFile> file = LoadedFile::read(positional[0]);
        PersonRecord* kept = personNumbered(file->document, positional[1]);
        std::vector<PersonRecord*> dropped;
        for (const QString& number : positional.mid(2)) {
            PersonRecord* p = personNumbered(file->document, number);
            if (p == kept || std::find(dropped.begin(), dropped.end(), p) != dropped.end())
                throw ZilvarenError(
                    QStringLiteral("Kayıt No %1 kendisiyle birleştirilemez.").arg(number));
            dropped.push_back(p);
        }
        PersonListModel& persons = file->document.persons();
        if (std::find(dropped.begin(), dropped.end(), persons.focusedPerson()) != dropped.end())
            persons.setFocusedPerson(kept);
        mergeDuplicates(file->document, *kept, dropped, SystemClock().stampNow());
        file->save(parser.value(out));
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}
