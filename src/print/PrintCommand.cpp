#include "print/PrintCommand.h"

#include "interchange/VCardWriter.h"
#include "platform/Clock.h"
#include "platform/CommandLine.h"
#include "platform/TurkishText.h"
#include "print/PdfFile.h"
#include "store/LoadedFile.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: zilvaren-cli print FILE.qdb [--group PATH] [--person NO] -o OUT.pdf\n");
    return 2;
}

} // namespace

int runPrintCommand(const QStringList& args) {
    const QCommandLineOption group(QStringLiteral("group"), {}, QStringLiteral("PATH"));
    const QCommandLineOption person(QStringLiteral("person"), {}, QStringLiteral("NO"));
    const QCommandLineOption out(QStringLiteral("o"), {}, QStringLiteral("OUT"));
    QCommandLineParser parser;
    parser.addOptions({group, person, out});
    if (!parser.parse(QStringList{QStringLiteral("zilvaren-cli")} + args) ||
        parser.positionalArguments().size() != 1 || !parser.isSet(out) ||
        (parser.isSet(group) && parser.isSet(person)))
        return usage();
    const QString path = QFileInfo(parser.positionalArguments()[0]).absoluteFilePath();
    try {
        const auto file = LoadedFile::read(path);
        const std::vector<const PersonRecord*> all = file->document.persons().allPersons();
        const SystemClock clock;
        PrintHeading heading{path, QStringLiteral("Tüm kişiler"),
                             clock.now().toString(u"dd.MM.yyyy")};
        if (parser.isSet(person)) {
            const QString no = parser.value(person);
            std::vector<const PersonRecord*> found;
            for (const PersonRecord* p : all)
                if (p->RecordNo == no)
                    found.push_back(p);
            if (found.size() != 1)
                throw ZilvarenError(
                    found.empty()
                        ? QStringLiteral("%1 kayıt numaralı kişi yok.").arg(no)
                        : QStringLiteral("%1 kayıt numarası %2 kişide var; hangisi olduğu "
                                         "belli değil.")
                              .arg(no)
                              .arg(found.size()));
            heading.group = groupTitle(found[0]->GroupPath);
            writePdf(parser.value(out), [&](QPagedPaintDevice& d) {
                return printPersonCard(d, heading, *found[0], QFileInfo(path).absolutePath());
            });
        } else {
            std::vector<const PersonRecord*> persons = all;
            if (parser.isSet(group)) {
                const QString wanted = parser.value(group);
                const GroupNode* node = FindPersonGroup(file->document.groups().root(), wanted);
                if (!node)
                    throw ZilvarenError(QStringLiteral("no such group: %1").arg(wanted));
                persons = personsInGroup(all, BuildGroupPath(node));
                heading.group = groupTitle(BuildGroupPath(node));
            }
            writePdf(parser.value(out),
                     [&](QPagedPaintDevice& d) { return printPersonList(d, heading, persons); });
        }
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}
