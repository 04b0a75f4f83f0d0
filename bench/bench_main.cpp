// Times the program's own operations on generated record files of 1 000,
// 10 000 and 100 000 persons, in the offscreen main window where a user
// would meet them, and prints each against its target.
#include "BenchFiles.h"
#include "BenchReport.h"
#include "CliBench.h"
#include "OfficeBench.h"
#include "ProtectedFileBench.h"
#include "SyncBench.h"
#include "VCardBench.h"

#include "app/AppWindows.h"
#include "app/EditHistory.h"
#include "app/FileCommands.h"
#include "app/MainCommands.h"
#include "duplicates/DuplicatesDialog.h"
#include "groups/GroupCommands.h"
#include "groups/GroupTreeView.h"
#include "person/PersonEditing.h"
#include "person/PersonEditor.h"
#include "person/PersonListView.h"
#include "platform/Allocator.h"
#include "platform/Clock.h"
#include "platform/ScriptedPrompts.h"
#include "platform/ShellOpener.h"
#include "search/FindDialog.h"
#include "store/ProtectedFile.h"
#include "store/RecordFileReader.h"
#include "tools/ToolsDialog.h"

#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>
#include <optional>

namespace {

class NoShell : public ShellOpener {
public:
    void open(const QString&) override {}
};

void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// B: the least any opening must do. The buffer is made once, so B holds
// no page faults of a fresh allocation and the ratios to it stay strict.
void readAndCountLines(const QString& path, QByteArray& buffer) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        std::exit(1);
    buffer.resize(f.size());
    if (f.read(buffer.data(), buffer.size()) != buffer.size())
        std::exit(1);
    volatile qsizetype lines = buffer.count('\n');
    (void)lines;
}

// Lets the views lay out and paint what changed, as the event loop would
// before the user sees the result.
void settle() {
    QApplication::processEvents();
}

// The real windows of the program over one record file, driven through
// their commands.
class WindowBench {
public:
    WindowBench()
        : clock_(QDateTime(QDate(2026, 12, 9), QTime(10, 0))), services_{prompts_, settings_,
                                                                         clock_, shell_},
          windows_(services_) {
        main().resize(1024, 768);
        main().show();
        settle();
    }

    TForm_Main& main() { return windows_.main(); }
    ScriptedPrompts& prompts() { return prompts_; }

    void open(const QString& path) {
        main().document().markSaved();
        main().files().DosyaAcNew(FileCommands::OpenSender::RecentItem, path);
        settle();
    }
    GroupNode* group(const QString& path) {
        return FindPersonGroup(main().document().groups().root(), path);
    }
    void focusGroup(GroupNode* group) {
        main().groupTree().focusGroup(group);
        settle();
    }
    void showAll() {
        windows_.main().groupCommands().HepsiniGoster->trigger();
        settle();
    }
    void headerClick(int column) {
        main().personList().VSTHeaderClick(column);
        settle();
    }
    // The key's work alone: finding the row, focusing it and filling the
    // detail pages; the repaint that follows is the same for any list (so
    // is the confirm's, timed the same way).
    void typeAhead(const QString& key) { main().personList().keyboardSearch(key); }
    // What "Mükerrer Kayıtlar…" does before its dialog shows.
    int findDuplicates() {
        DuplicatesDialog dialog(main().document(), clock_, &main());
        dialog.findGroups();
        return dialog.groupCount();
    }
    void find(const QString& word) {
        TForm_Find& f = windows_.find();
        f.ComboBox_Find->setCurrentText(word);
        f.Button_Find->click();
        settle();
    }
    void tickAllFindFields() {
        TForm_Find& f = windows_.find();
        if (!f.checks[CheckTamami]->isChecked())
            f.checks[CheckTamami]->click();
    }
    TToolsDialogBox& tools() { return windows_.tools(); }

private:
    ScriptedPrompts prompts_;
    SettingsStore settings_;
    ManualClock clock_;
    NoShell shell_;
    MainWindowServices services_;
    AppWindows windows_;
};

struct FilterTimes {
    double filterMs = 0;
    double showAllMs = 0;
};

FilterTimes timeFilter(WindowBench& w, int reps);

// The filter in a process of its own on the desktop the benchmark runs in
// (bench/accessible_desktop.py), where the accessibility bridge is on as
// for a screen reader; nothing when there is no such desktop.
std::optional<FilterTimes> filterTimesWithAccessibility(const QString& path, int reps) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") ||
        qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS")) {
        std::fprintf(stderr, "no desktop with an accessibility bus: the rows with "
                             "accessibility on need bench/accessible_desktop.py (make bench)\n");
        return std::nullopt;
    }
    QProcess child;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
    child.setProcessEnvironment(env);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--accessible-filter"), path, QString::number(reps)});
    child.waitForFinished(-1);
    const QList<QByteArray> ms = child.readAllStandardOutput().trimmed().split(' ');
    if (child.exitCode() != 0 || ms.size() != 2) {
        std::fprintf(stderr, "the accessibility bridge did not come up: %s\n",
                     child.readAllStandardError().constData());
        return std::nullopt;
    }
    return FilterTimes{ms[0].toDouble(), ms[1].toDouble()};
}

const QString kFocusedGroup =
    QStringLiteral("Bölüm 2") + GroupPathSeparator + QStringLiteral("Şube 1");
const QString kOtherGroup =
    QStringLiteral("Bölüm 3") + GroupPathSeparator + QStringLiteral("Şube 1");

FilterTimes timeFilter(WindowBench& w, int reps) {
    GroupNode* focused = w.group(kFocusedGroup);
    GroupNode* other = w.group(kOtherGroup);
    bool flip = false;
    FilterTimes t;
    t.filterMs = medianMs(reps * 2, [&] { w.focusGroup((flip = !flip) ? focused : other); });
    t.showAllMs = medianMs(
        reps * 2, [&] { w.showAll(); }, [&] { w.focusGroup(focused); });
    return t;
}

int accessibleFilterChild(const QString& path, int reps) {
    // A copy: the benchmark's own window holds the file.
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("kopya.qdb"));
    if (!QFile::copy(path, copy))
        return 1;
    WindowBench w;
    w.open(copy);
    if (w.main().document().persons().personCount() == 0 || !QAccessible::isActive()) {
        std::fprintf(stderr, "the file did not open, or accessibility is not active\n");
        return 1;
    }
    const FilterTimes t = timeFilter(w, reps);
    std::printf("%f %f\n", t.filterMs, t.showAllMs);
    return 0;
}

// The protected form beside the plain one: the key, derived once per
// opening, on its own; opening and saving without it against the plain.
template <typename Add>
void benchProtectedFile(WindowBench& w, const QString& path, int reps, const Add& add) {
    QFile plainFile(path);
    if (!plainFile.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(path));
    const ProtectedFormTimes form = timeProtectedForm(plainFile.readAll());
    add(QStringLiteral("protected: key derivation (Argon2id), once per opening"), form.deriveKeyMs,
        Target{});
    add(QStringLiteral("protected: sealing the bytes"), form.protectMs, Target{});
    add(QStringLiteral("protected: opening the sealed bytes"), form.unprotectMs, Target{});

    const auto key = std::make_shared<const FileKey>(
        deriveNewFileKey(SecretBytes::fromText(u"Bench parolası")));
    RecordDocument& doc = w.main().document();
    doc.protect(key);
    add(QStringLiteral("protected: save (backup and flush included)"),
        medianMs(
            reps, [&] { w.main().commands().ToolButton_Kaydet->trigger(); },
            [&] { doc.markUnsaved(); }),
        Target{Target::Operation, 1.3, QStringLiteral("save (backup and flush included)")});
    // Opening less the key derivation: what reading a protected file does
    // once the password gave its key.
    RecordDocument opened;
    add(QStringLiteral("protected: open into the models, key derivation left out"),
        medianMs(reps,
                 [&] {
                     QFile sealed(path);
                     if (!sealed.open(QIODevice::ReadOnly))
                         qFatal("cannot read %s", qPrintable(path));
                     QByteArray plain = unprotectRecordFile(sealed, *key, path);
                     QBuffer buffer(&plain);
                     buffer.open(QIODevice::ReadOnly);
                     RecordFileData data = readRecordFile(buffer);
                     opened.load(data);
                 }),
        Target{Target::Operation, 1.3, QStringLiteral("open into the models")});
    // The rows after this one open the plain file again.
    doc.protect(nullptr);
    w.main().commands().ToolButton_Kaydet->trigger();
}

void benchSize(size_t sizeIndex, const QString& folder, BenchReport& report) {
    const int n = kSizes[sizeIndex];
    const int reps = n >= 100000 ? 5 : 11;
    const QString path = QDir(folder).filePath(QStringLiteral("bench%1.qdb").arg(n));
    writeFile(path, generateRecordFile(n));
    const QString book = QDir(folder).filePath(QStringLiteral("adres%1.txt").arg(n));
    writeFile(book, generateAddressBook(n));

    const auto timesB = [](double f) { return Target{Target::Baseline, f}; };
    const auto add = [&](const QString& name, double ms, Target t, Growth g = Growth::Linear) {
        report.add(name, sizeIndex, ms, t, g);
    };

    QByteArray buffer;
    readAndCountLines(path, buffer);
    const double b = medianMs(reps * 2, [&] { readAndCountLines(path, buffer); });
    report.setBaseline(sizeIndex, b);

    double models = 0;
    {
        // As in the program, the file read replaces one already open.
        RecordDocument opened;
        models = medianMs(reps, [&] {
            RecordFileData data = readRecordFile(path);
            opened.load(data);
        });
    }
    report.setOpenIntoModels(sizeIndex, models);
    add(QStringLiteral("open into the models"), models, timesB(30));

    WindowBench w;
    add(QStringLiteral("open in the window"), medianMs(reps, [&] { w.open(path); }),
        Target{Target::OpenIntoModels, 1.2});

    RecordDocument& doc = w.main().document();
    add(QStringLiteral("save (backup and flush included)"),
        medianMs(
            reps, [&] { w.main().commands().ToolButton_Kaydet->trigger(); },
            [&] { doc.markUnsaved(); }),
        timesB(15));

    benchProtectedFile(w, path, reps, add);

    const FilterTimes plain = timeFilter(w, reps);
    add(QStringLiteral("group filter (~300 members)"), plain.filterMs, timesB(0.5));
    add(QStringLiteral("\"Hepsini Göster\""), plain.showAllMs, timesB(0.5));
    if (const auto accessible = filterTimesWithAccessibility(path, reps)) {
        add(QStringLiteral("group filter, accessibility on"), accessible->filterMs, timesB(0.5));
        add(QStringLiteral("\"Hepsini Göster\", accessibility on"), accessible->showAllMs,
            timesB(0.5));
    }

    w.showAll();
    const char* columns[] = {"No", "Ad", "Soyad"};
    for (int column = 0; column < 3; ++column)
        for (const char* direction : {"ascending", "descending"})
            add(QStringLiteral("sort by %1, %2")
                    .arg(QLatin1String(columns[column]), QLatin1String(direction)),
                medianMs(
                    reps, [&] { w.headerClick(column); },
                    [&] {
                        // The click before leaves the column sorted the
                        // other way, so this one sorts as named.
                        const bool wantAscending = std::strcmp(direction, "ascending") == 0;
                        PersonListView& list = w.main().personList();
                        if (list.sortColumn() != column ||
                            (list.sortOrder() == Qt::AscendingOrder) == wantAscending)
                            w.headerClick(column);
                    }),
                timesB(5), Growth::NLogN);

    add(QStringLiteral("type-ahead, a letter no name starts with"),
        medianMs(
            reps * 4, [&] { w.typeAhead(QStringLiteral("x")); }, settle),
        timesB(0.05));
    add(QStringLiteral("type-ahead, a common letter"),
        medianMs(
            reps * 4, [&] { w.typeAhead(QStringLiteral("a")); }, settle),
        timesB(0.05));

    w.tickAllFindFields();
    add(QStringLiteral("find, all fields, few hits"),
        medianMs(reps, [&] { w.find(QStringLiteral("kisi777@")); }), timesB(5));
    add(QStringLiteral("find, all fields, very many hits"),
        medianMs(reps, [&] { w.find(QStringLiteral("ankara")); }), timesB(5));
    add(QStringLiteral("search for duplicates (the dialog's groups)"),
        medianMs(reps, [&] { w.findDuplicates(); }), timesB(15));

    TToolsDialogBox& tools = w.tools();
    add(QStringLiteral("tool: remove spaces from numbers"),
        medianMs(reps,
                 [&] {
                     tools.Button_Tlf_Bosluk_Sil->click();
                     settle();
                 }),
        timesB(5));
    add(QStringLiteral("tool: split numbers into groups"),
        medianMs(reps,
                 [&] {
                     tools.Button_Tlf_Bosluk_Yap->click();
                     settle();
                 }),
        timesB(5));
    add(QStringLiteral("tool: renumber"),
        medianMs(reps,
                 [&] {
                     tools.Button_KytNoRenew->click();
                     settle();
                 }),
        timesB(5));

    GroupCommands& groups = w.main().groupCommands();
    bool renamed = false;
    add(QStringLiteral("rename the group of half the persons"),
        medianMs(
            reps,
            [&] {
                groups.GrupDuzelt->trigger();
                settle();
            },
            [&] {
                w.focusGroup(w.group(renamed ? QStringLiteral("Bölüm Bir") : kHalfGroupName));
                w.prompts().answerText((renamed = !renamed) ? QStringLiteral("Bölüm Bir")
                                                            : kHalfGroupName);
            }),
        timesB(5));

    const int slowReps = 3;
    const QString deletion = QStringLiteral("delete the group of half the persons");
    const auto deleteHalf = [&] {
        w.open(path);
        w.focusGroup(w.group(kHalfGroupName));
        w.prompts().answer(PromptButton::Yes);
    };
    add(deletion,
        medianMs(
            slowReps,
            [&] {
                groups.GrupSil->trigger();
                settle();
            },
            deleteHalf),
        timesB(5));
    EditHistory& history = w.main().commands().history();
    const auto step = [&](QAction* action) {
        return [&, action] {
            action->trigger();
            settle();
        };
    };
    add(QStringLiteral("undo that deletion"),
        medianMs(slowReps, step(history.GeriAl),
                 [&] {
                     deleteHalf();
                     step(groups.GrupSil)();
                 }),
        Target{Target::Operation, 2, deletion});
    add(QStringLiteral("redo that deletion"),
        medianMs(slowReps, step(history.Yinele),
                 [&] {
                     deleteHalf();
                     step(groups.GrupSil)();
                     step(history.GeriAl)();
                 }),
        Target{Target::Operation, 2, deletion});

    add(QStringLiteral("address-book import into a group"),
        medianMs(
            slowReps,
            [&] {
                w.main().commands().Menu_ImportFile->trigger();
                settle();
            },
            [&] {
                w.open(path);
                w.focusGroup(w.group(kFocusedGroup));
                w.prompts().answerText(book);
            }),
        timesB(30));
    w.open(path);
    add(QStringLiteral("export of all persons"),
        medianMs(reps, [&] { w.main().commands().Export->trigger(); }), timesB(15));

    PersonEditing& editing = w.main().editing();
    const auto startEdit = [&] {
        settle();
        editing.SB_Duzelt->trigger();
        w.main().editor().Edit_Ad->setText(QStringLiteral("AHMET CAN"));
    };
    add(QStringLiteral("confirm an edit"),
        medianMs(reps * 2, [&] { editing.SB_Tamam->trigger(); }, startEdit), timesB(0.5));
    add(QStringLiteral("undo a confirmed edit"),
        medianMs(reps * 2, step(history.GeriAl),
                 [&] {
                     startEdit();
                     editing.SB_Tamam->trigger();
                     settle();
                 }),
        timesB(0.5));
}

struct Resident {
    double peakMiB = 0;    // the most the process held, opening included
    double nowMiB = 0;     // what it holds with the file open
    double historyMiB = 0; // what deleting half the persons, held by the history, added
};

// Run in a process of its own, so the figures are this file's alone.
Resident residentWithFileOpen(const QString& path) {
    QProcess child;
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--memory"), path});
    child.waitForFinished(-1);
    const QList<QByteArray> kib = child.readAllStandardOutput().trimmed().split(' ');
    if (kib.size() != 3)
        return {};
    return {kib[0].toDouble() / 1024, kib[1].toDouble() / 1024, kib[2].toDouble() / 1024};
}

// VmHWM, not ru_maxrss: the latter keeps the parent's peak across exec.
std::pair<long, long> peakAndNowKiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    long peak = 0, now = 0;
    if (!status.open(QIODevice::ReadOnly))
        return {0, 0};
    for (const QByteArray& line : status.readAll().split('\n')) {
        const long kib = line.mid(6).trimmed().split(' ').first().toLong();
        if (line.startsWith("VmHWM:"))
            peak = kib;
        else if (line.startsWith("VmRSS:"))
            now = kib;
    }
    return {peak, now};
}

int memoryChild(const QString& path) {
    WindowBench w;
    if (!path.isEmpty())
        w.open(path);
    const auto [peak, now] = peakAndNowKiB();
    long history = 0;
    if (GroupNode* half = path.isEmpty() ? nullptr : w.group(kHalfGroupName)) {
        // The persons deleted stay in memory, held by the step that can
        // bring them back; nothing else should.
        w.focusGroup(half);
        w.prompts().answer(PromptButton::Yes);
        w.main().groupCommands().GrupSil->trigger();
        settle();
        history = peakAndNowKiB().second - now;
    }
    std::printf("%ld %ld %ld\n", peak, now, history);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // As the program itself runs.
    tuneAllocatorForRecords();
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir(QDir::current().filePath(QStringLiteral("zilvaren-bench-XXXXXX")));
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                       QDir(dir.path()).filePath(QStringLiteral("config")));
    const QStringList args = app.arguments();
    if (args.size() == 3 && args[1] == QStringLiteral("--memory"))
        return memoryChild(args[2]);
    if (args.size() == 4 && args[1] == QStringLiteral("--accessible-filter"))
        return accessibleFilterChild(args[2], args[3].toInt());
    if (args.size() == 4 && args[1] == QStringLiteral("--sync-child"))
        return syncBenchChild(args[2].toInt(), args[3] == QStringLiteral("photos"));
    // The command-line tool alone, for a quicker look while working on it.
    if (args.size() == 2 && args[1] == QStringLiteral("--command-line")) {
        const QString path = dir.filePath(QStringLiteral("bench%1.qdb").arg(kSizes.back()));
        writeFile(path, generateRecordFile(kSizes.back()));
        return benchCommandLine(path, dir.path()) ? 1 : 0;
    }

    BenchReport report;
    for (size_t s = 0; s < kSizes.size(); ++s) {
        std::fprintf(stderr, "timing %d persons...\n", kSizes[s]);
        benchSize(s, dir.path(), report);
    }
    int missed = report.print();

    std::printf("\nResident memory of a process that opens the file in the window (peak, and "
                "after opening); \"for the file\" is what it holds beyond the empty window:\n");
    const Resident empty = residentWithFileOpen(QString());
    std::printf("  %-10s peak %7.1f MiB, now %7.1f MiB\n", "no file", empty.peakMiB, empty.nowMiB);
    for (int n : kSizes) {
        const QString path = dir.filePath(QStringLiteral("bench%1.qdb").arg(n));
        const double fileMiB = double(QFileInfo(path).size()) / (1024 * 1024);
        const Resident r = residentWithFileOpen(path);
        const double forFile = r.peakMiB - empty.peakMiB;
        const bool ok = forFile <= 3 * fileMiB;
        missed += (n == kSizes.back() && !ok) ? 1 : 0;
        std::printf("  %-10d peak %7.1f MiB, now %7.1f MiB; file %6.1f MiB; peak for the file "
                    "%6.1f MiB = %.2f × the file (target ≤ 3)%s\n",
                    n, r.peakMiB, r.nowMiB, fileMiB, forFile, forFile / fileMiB,
                    n == kSizes.back() ? (ok ? " ok" : " MISSED") : "");
        if (n == kSizes.back()) {
            // The history holds the persons it took out, which were in
            // memory already: a twentieth of what the file holds is room
            // enough for their places in the list.
            const bool held = r.historyMiB <= 0.05 * (r.nowMiB - empty.nowMiB);
            missed += held ? 0 : 1;
            std::printf("  the history holding the deleted half adds %.1f MiB of the %.1f MiB the "
                        "file holds (target ≤ 5 %%) %s\n",
                        r.historyMiB, r.nowMiB - empty.nowMiB, held ? "ok" : "MISSED");
        }
    }
    benchVCard();
    missed += benchSync(QStringLiteral(ZILVAREN_SOURCE_DIR "/tests/sync/radicale_server.py"));
    missed += benchCommandLine(dir.filePath(QStringLiteral("bench%1.qdb").arg(kSizes.back())),
                               dir.path());
    missed += benchOffice(dir.path());
    if (missed)
        std::printf("\n%d target(s) missed\n", missed);
    return 0;
}
