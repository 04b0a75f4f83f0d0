#include "CliBench.h"

#include "BenchFiles.h"
#include "BenchReport.h"
#include "VCardBench.h"

#include "store/RecordFileReader.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

namespace {

constexpr int kRuns = 5;

using Run = CommandRun;

} // namespace

// time(1)'s own process is small: its peak is the program's.
CommandRun runCommand(const QString& program, const QStringList& args, const QString& folder) {
    const QString stats = QDir(folder).filePath(QStringLiteral("time.txt"));
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("/usr/bin/time"), QStringList{QStringLiteral("-f"), QStringLiteral("%M"),
                                                         QStringLiteral("-o"), stats, program} +
                                                 args);
    p.waitForFinished(-1);
    Run r{double(t.nsecsElapsed()) / 1e6, 0};
    QFile f(stats);
    if (f.open(QIODevice::ReadOnly))
        r.peakMiB = f.readAll().trimmed().split('\n').last().toDouble() / 1024;
    if (p.exitCode() != 0)
        std::fprintf(stderr, "%s %s: exit %d\n", qPrintable(program), qPrintable(args.join(u' ')),
                     p.exitCode());
    return r;
}

namespace {

// The median time and the highest peak of kRuns runs; before runs first,
// uncounted (the file to be replaced, say).
Run runMedian(const QString& program, const QStringList& args, const QString& folder,
              const std::function<void()>& before = {}) {
    std::vector<double> ms;
    double peak = 0;
    for (int i = 0; i < kRuns; ++i) {
        if (before)
            before();
        const Run r = runCommand(program, args, folder);
        ms.push_back(r.ms);
        peak = std::max(peak, r.peakMiB);
    }
    std::sort(ms.begin(), ms.end());
    return {ms[ms.size() / 2], peak};
}

struct Check {
    int missed = 0;
    void line(const char* what, double value, const char* unit, double target) {
        const bool ok = value <= target;
        missed += ok ? 0 : 1;
        std::printf("  %-44s %7.2f %s (target ≤ %g)%s\n", what, value, unit, target,
                    ok ? " ok" : " MISSED");
    }
};

} // namespace

int benchCommandLine(const QString& recordFile, const QString& folder) {
    const QString cli = QDir(QCoreApplication::applicationDirPath())
                            .filePath(QStringLiteral("../src/app/zilvaren-cli"));
    if (!QFileInfo(cli).isExecutable() || !QFileInfo::exists(QStringLiteral("/usr/bin/time"))) {
        std::printf("\nCommand-line tool: %s or /usr/bin/time missing; not measured\n",
                    qPrintable(cli));
        return 0;
    }
    const QDir dir(folder);
    const double fileMiB = double(QFileInfo(recordFile).size()) / (1024 * 1024);
    const QString out = dir.filePath(QStringLiteral("cli-out.qdb"));
    const QString copy = dir.filePath(QStringLiteral("dd-copy.qdb"));

    // What the same bytes cost plain tools: counting their lines, and
    // writing them to the disk.
    const Run wc = runMedian(QStringLiteral("wc"), {QStringLiteral("-l"), recordFile}, folder);
    const Run dd = runMedian(QStringLiteral("dd"),
                             {QStringLiteral("if=") + recordFile, QStringLiteral("of=") + copy,
                              QStringLiteral("bs=1M"), QStringLiteral("conv=fsync"),
                              QStringLiteral("status=none")},
                             folder);

    struct Command {
        const char* name;
        QStringList args;
    };
    const QString fields = QStringLiteral("ID,AdSoyad,Tel,Adres,Firma,Notlar,Grup");
    const QString book = dir.filePath(QStringLiteral("cli-book.txt"));
    {
        QFile f(book);
        f.open(QIODevice::WriteOnly);
        f.write(generateAddressBook(1000));
    }
    const std::vector<Command> commands = {
        {"save", {QStringLiteral("save"), recordFile, out}},
        {"find (no match)",
         {QStringLiteral("find"), recordFile, QStringLiteral("ZZQXW"), QStringLiteral("--fields"),
          fields}},
        {"export",
         {QStringLiteral("export"), recordFile, QStringLiteral("-o"),
          dir.filePath(QStringLiteral("cli.csv"))}},
        {"export-vcard",
         {QStringLiteral("export-vcard"), recordFile, QStringLiteral("-o"),
          dir.filePath(QStringLiteral("cli.vcf"))}},
        {"tools --renumber",
         {QStringLiteral("tools"), recordFile, QStringLiteral("--renumber"), QStringLiteral("-o"),
          out}},
        {"import (1 000 records)",
         {QStringLiteral("import"), recordFile, book, QStringLiteral("-o"), out}},
        {"duplicates", {QStringLiteral("duplicates"), recordFile}},
        {"dump", {QStringLiteral("dump"), recordFile}},
    };
    std::printf("\nCommand-line tool on the file of %d persons (%.1f MiB), median of %d runs:\n",
                kSizes.back(), fileMiB, kRuns);
    std::printf("  wc -l %.1f ms, dd conv=fsync %.1f ms\n", wc.ms, dd.ms);
    std::vector<Run> runs;
    for (const Command& c : commands) {
        // An export writes a new file each time, as abook must.
        const QString output = c.args.size() == 4 ? c.args[3] : QString();
        const auto removeOutput = [&output] {
            if (!output.isEmpty() && !output.endsWith(QLatin1String(".qdb")))
                QFile::remove(output);
        };
        // dump writes JSON for every person: timed once, for its memory.
        runs.push_back(QLatin1String(c.name) == QLatin1String("dump")
                           ? runCommand(cli, c.args, folder)
                           : runMedian(cli, c.args, folder, removeOutput));
        std::printf("  %-24s %8.1f ms, peak %6.1f MiB\n", c.name, runs.back().ms,
                    runs.back().peakMiB);
    }

    // abook converting the same persons from its own format to vCard.
    std::vector<std::unique_ptr<PersonRecord>> kept;
    readRecordFile(recordFile, [&kept](PersonRecord& p, const RecordFileData&) {
        kept.push_back(std::make_unique<PersonRecord>(p));
    });
    std::vector<const PersonRecord*> persons;
    for (const auto& p : kept)
        persons.push_back(p.get());
    const QString abookIn = dir.filePath(QStringLiteral("cli.abook"));
    {
        QFile f(abookIn);
        f.open(QIODevice::WriteOnly);
        f.write(abookFile(persons));
    }
    kept.clear();
    const QString abook = QStandardPaths::findExecutable(QStringLiteral("abook"));
    const QString abookOut = dir.filePath(QStringLiteral("abook.vcf"));
    std::optional<Run> converted;
    if (!abook.isEmpty())
        converted = runMedian(abook,
                              {QStringLiteral("--convert"), QStringLiteral("--informat"),
                               QStringLiteral("abook"), QStringLiteral("--infile"), abookIn,
                               QStringLiteral("--outformat"), QStringLiteral("vcard"),
                               QStringLiteral("--outfile"), abookOut},
                              folder, [&abookOut] { QFile::remove(abookOut); });

    Check check;
    check.line("save / dd conv=fsync of the same bytes", runs[0].ms / dd.ms, "×", 8);
    check.line("find / wc -l", runs[1].ms / wc.ms, "×", 25);
    check.line("export / wc -l", runs[2].ms / wc.ms, "×", 25);
    check.line("export-vcard / wc -l", runs[3].ms / wc.ms, "×", 25);
    if (converted) {
        std::printf("  abook --convert of the same persons %.1f ms\n", converted->ms);
        check.line("export-vcard / abook", runs[3].ms / converted->ms, "×", 1);
    } else {
        std::printf("  abook not installed: export-vcard not compared\n");
    }
    double worst = 0;
    const char* worstName = "";
    for (size_t i = 0; i < commands.size(); ++i)
        if (runs[i].peakMiB > worst) {
            worst = runs[i].peakMiB;
            worstName = commands[i].name;
        }
    std::printf("  highest peak: %s\n", worstName);
    check.line("duplicates / dump of the same file", runs[6].ms / runs[7].ms, "×", 1);

    // Printing: the list of 3 000 persons; and what the pages cost, as the
    // list's peak beyond that of one person's card from the same file.
    const auto printRun = [&](const QString& file, const QStringList& what) {
        return runMedian(
            cli,
            QStringList{QStringLiteral("print"), file} + what +
                QStringList{QStringLiteral("-o"), dir.filePath(QStringLiteral("print.pdf"))},
            folder);
    };
    double pagesMiB = 0;
    for (const int persons : {3000, 30000}) {
        const QString file = dir.filePath(QStringLiteral("print%1.qdb").arg(persons));
        {
            QFile f(file);
            f.open(QIODevice::WriteOnly);
            f.write(generateRecordFile(persons));
        }
        const Run list = printRun(file, {});
        const Run card = printRun(file, {QStringLiteral("--person"), QStringLiteral("00001")});
        pagesMiB = list.peakMiB - card.peakMiB;
        std::printf("  print, %5d persons: the list %8.1f ms, peak %6.1f MiB; one card peak "
                    "%6.1f MiB\n",
                    persons, list.ms, list.peakMiB, card.peakMiB);
        if (persons == 3000)
            check.line("print of the list of 3 000 persons", list.ms / 1000, "s", 5);
    }
    check.line("print: memory of the pages of 30 000 persons", pagesMiB, "MiB", 4);
    check.line("peak of every command / the file", worst / fileMiB, "×", 3);
    return check.missed;
}
