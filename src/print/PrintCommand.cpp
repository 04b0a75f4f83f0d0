#include "print/PrintCommand.h"

#include "interchange/VCardWriter.h"
#include "platform/Clock.h"
#include "platform/CommandLine.h"
#include "platform/TurkishText.h"
#include "print/PdfFile.h"
#include "print/PrintStyles.h"
#include "store/LoadedFile.h"

#include <QCommandLineParser>
#include <QFileInfo>

#include <cstdio>

namespace {

int usage() {
    std::fprintf(stderr, "usage: zilvaren-cli print FILE.qdb [--group PATH] [--person NO | --style "
                         "list|phones|labels|birthdays [--address home|work] [--month N]] "
                         "-o OUT.pdf\n");
    return 2;
}

const QStringList kStyles = {QStringLiteral("list"), QStringLiteral("phones"),
                             QStringLiteral("labels"), QStringLiteral("birthdays")};

} // namespace

int runPrintCommand(const QStringList& args) {
    const QCommandLineOption group(QStringLiteral("group"), {}, QStringLiteral("PATH"));
    const QCommandLineOption person(QStringLiteral("person"), {}, QStringLiteral("NO"));
    const QCommandLineOption style(QStringLiteral("style"), {}, QStringLiteral("STYLE"));
    const QCommandLineOption address(QStringLiteral("address"), {}, QStringLiteral("home|work"));
    const QCommandLineOption month(QStringLiteral("month"), {}, QStringLiteral("N"));
    const QCommandLineOption out(QStringLiteral("o"), {}, QStringLiteral("OUT"));
    QCommandLineParser parser;
    parser.addOptions({group, person, style, address, month, out});
    if (!parser.parse(QStringList{QStringLiteral("zilvaren-cli")} + args) ||
        parser.positionalArguments().size() != 1 || !parser.isSet(out) ||
        (parser.isSet(group) && parser.isSet(person)) ||
        (parser.isSet(person) && parser.isSet(style)))
        return usage();
    PrintOptions options;
    if (parser.isSet(style)) {
        const qsizetype chosen = kStyles.indexOf(parser.value(style));
        if (chosen < 0)
            return usage();
        options.style = PrintStyle(chosen);
    }
    if (parser.isSet(address)) {
        const QString a = parser.value(address);
        if (options.style != PrintStyle::Labels || (a != u"home" && a != u"work"))
            return usage();
        options.address = a == u"home" ? LabelAddress::Home : LabelAddress::Work;
    }
    if (parser.isSet(month)) {
        bool ok = false;
        options.month = parser.value(month).toInt(&ok);
        if (options.style != PrintStyle::Birthdays || !ok || options.month < 1 ||
            options.month > 12)
            return usage();
    }
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
            return 0;
        }
        std::vector<const PersonRecord*> persons = all;
        if (parser.isSet(group)) {
            const QString wanted = parser.value(group);
            const GroupNode* node = FindPersonGroup(file->document.groups().root(), wanted);
            if (!node)
                throw ZilvarenError(QStringLiteral("no such group: %1").arg(wanted));
            persons = personsInGroup(all, BuildGroupPath(node));
            heading.group = groupTitle(BuildGroupPath(node));
        }
        const PrintJob job = printJob(options, heading, persons, clock.now().date());
        if (!job.pages)
            throw ZilvarenError(job.note);
        writePdf(parser.value(out), job.pages);
        if (!job.note.isEmpty())
            std::printf("%s\n", job.note.toUtf8().constData());
        return 0;
    } catch (const std::exception& e) {
        printCliError(exceptionMessage(e));
        return 1;
    }
}
