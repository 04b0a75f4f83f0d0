// The main window driven by real mouse and key events, the way a user
// reaches each command.
#include "ShortcutClashes.h"
#include "WindowFixture.h"
#include "app/FileCommands.h"
#include "app/TForm_Main.h"
#include "groups/GroupCommands.h"
#include "groups/GroupTreeView.h"
#include "person/PersonEditing.h"
#include "person/PersonEditor.h"
#include "person/PersonListView.h"
#include "platform/ScriptedPrompts.h"
#include "platform/SettingsStore.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDateEdit>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTabWidget>
#include <QToolBar>
#include <QToolTip>
#include <QtTest>

namespace {

// Groups A and B; ALİ and ÖMER in A, CAN in B.
const QStringList kTwoGroups = {
    QStringLiteral("1 IDNO 1"), QStringLiteral("1 GRUP A"),     QStringLiteral("2 GRUP A"),
    QStringLiteral("2 GRUP B"), QStringLiteral("0 ID 1"),       QStringLiteral("1 NAME ALİ"),
    QStringLiteral("1 NOTE"),   QStringLiteral("2 CONT satır"), QStringLiteral("2 CONT "),
    QStringLiteral("1 GRUP A"), QStringLiteral("0 ID 2"),       QStringLiteral("1 NAME ÖMER"),
    QStringLiteral("1 GRUP A"), QStringLiteral("0 ID 3"),       QStringLiteral("1 NAME CAN"),
    QStringLiteral("1 GRUP B"), QStringLiteral("0 TRLR")};

void clickRow(QAbstractItemView& view, const QModelIndex& index) {
    view.scrollTo(index);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, view.visualRect(index).center());
}

void clickHeader(QTreeView& view, int section) {
    QHeaderView* h = view.header();
    const QPoint at(h->sectionViewportPosition(section) + h->sectionSize(section) / 2,
                    h->height() / 2);
    QTest::mouseClick(h->viewport(), Qt::LeftButton, {}, at);
}

// A key chord as the focused widget of the active window receives it, so
// shortcuts are resolved as they are for the user.
void press(int key, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* target = QApplication::focusWidget();
    QVERIFY(target);
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

void typeInto(QWidget* w, const QString& text) {
    w->setFocus();
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

QStringList rowNames(TForm_Main& w) {
    QStringList names;
    for (int r = 0; r < w.document().persons().rowCount(); ++r)
        names << w.document().persons().personAtRow(r)->FirstName;
    return names;
}

} // namespace

class TestWindowInput : public QObject {
    Q_OBJECT
    WindowFixture fx_;
    std::unique_ptr<TForm_Main> w_;

    TForm_Main& open(const QStringList& lines) {
        fx_.startWith(QStringLiteral("p.qdb"), lines);
        w_ = fx_.openWindow();
        return *w_;
    }
    void clickTool(QAction* action) {
        auto* bar = w_->findChild<QToolBar*>(QStringLiteral("ToolBar"));
        QTest::mouseClick(bar->widgetForAction(action), Qt::LeftButton);
    }
    void clickGroup(int topLevel) {
        GroupTreeView& tree = w_->groupTree();
        clickRow(tree, w_->document().groups().indexOf(
                           w_->document().groups().root().children[size_t(topLevel)].get()));
    }
    void clickPerson(int row) {
        clickRow(w_->personList(), w_->document().persons().index(row, 1));
    }
    PersonRecord* person(int i) { return w_->document().persons().personAt(i); }
    quint32 count(int topLevel) {
        return w_->document().groups().root().children[size_t(topLevel)]->MemberCount;
    }

private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }
    void init() { fx_.reset(); }
    void cleanup() { w_.reset(); }

    void headerClicksSortBothWays() {
        TForm_Main& w = open({QStringLiteral("0 ID 9"), QStringLiteral("1 NAME BORA"),
                              QStringLiteral("1 SURN ZEN"), QStringLiteral("0 ID 10"),
                              QStringLiteral("1 NAME ARDA"), QStringLiteral("1 SURN ÇAM"),
                              QStringLiteral("0 TRLR")});
        PersonListView& list = w.personList();
        clickHeader(list, 1);
        QCOMPARE(rowNames(w), QStringList({QStringLiteral("ARDA"), QStringLiteral("BORA")}));
        QCOMPARE(list.header()->sortIndicatorSection(), 1);
        QCOMPARE(list.header()->sortIndicatorOrder(), Qt::AscendingOrder);
        QVERIFY(list.header()->isSortIndicatorShown());
        clickHeader(list, 1);
        QCOMPARE(rowNames(w), QStringList({QStringLiteral("BORA"), QStringLiteral("ARDA")}));
        QCOMPARE(list.header()->sortIndicatorOrder(), Qt::DescendingOrder);
        clickHeader(list, 2); // Çam before Zen in Turkish order
        QCOMPARE(rowNames(w), QStringList({QStringLiteral("ARDA"), QStringLiteral("BORA")}));
        clickHeader(list, 0); // numbers as text: 10 before 9
        QCOMPARE(rowNames(w), QStringList({QStringLiteral("ARDA"), QStringLiteral("BORA")}));
        QCOMPARE(list.sortColumn(), 0);
        // A right click changes nothing.
        QHeaderView* h = list.header();
        QTest::mouseClick(h->viewport(), Qt::RightButton, {},
                          QPoint(h->sectionViewportPosition(1) + 5, h->height() / 2));
        QCOMPARE(list.sortColumn(), 0);
        QVERIFY(h->isFirstSectionMovable() && h->sectionsMovable());
    }

    // The person an edit started on is the one "Tamam" writes, whatever the
    // group tree shows meanwhile; and it stays in its own group.
    void editSurvivesAnotherGroupBeingFocused() {
        TForm_Main& w = open(kTwoGroups);
        clickGroup(0);
        clickPerson(1); // ÖMER
        typeInto(w.editor().Edit_Soyad, QStringLiteral("ak"));
        QVERIFY(w.editing().isEditing());
        clickGroup(1); // the filter now hides ÖMER
        QCOMPARE(w.statusText(3), QStringLiteral("1"));
        press(Qt::Key_Return, Qt::ControlModifier);
        QVERIFY2(fx_.prompts->messages().isEmpty(), qPrintable(fx_.prompts->messages().join(u'|')));
        QVERIFY(!w.editing().isEditing());
        QCOMPARE(person(1)->Surname, QStringLiteral("AK"));
        QCOMPARE(person(1)->GroupPath, QStringLiteral("A"));
        QCOMPARE(count(0), 2u);
        QCOMPARE(count(1), 1u);
        // Still the current person, shown though its row is filtered out.
        QCOMPARE(w.personList().focusedPerson(), person(1));
        QCOMPARE(w.editor().Edit_Ad->text(), QStringLiteral("ÖMER"));
    }

    void editAfterShowAllKeepsTheGroup() {
        TForm_Main& w = open(kTwoGroups);
        w.groupCommands().HepsiniGoster->trigger();
        clickPerson(2); // CAN of B
        typeInto(w.editor().Edit_DogYer, QStringLiteral("van"));
        press(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(person(2)->BirthPlace, QStringLiteral("VAN"));
        QCOMPARE(person(2)->GroupPath, QStringLiteral("B"));
        QCOMPARE(count(1), 1u);
        QCOMPARE(w.document().groups().root().children.size(), size_t(2)); // no "Belli Değil"
    }

    void tabIntoTheTreeAfterShowAllDoesNotFilter() {
        TForm_Main& w = open(kTwoGroups);
        w.groupCommands().HepsiniGoster->trigger();
        QCOMPARE(w.statusText(3), QStringLiteral("3"));
        w.personList().setFocus();
        press(Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(QApplication::focusWidget(), &w.groupTree());
        QCOMPARE(w.statusText(3), QStringLiteral("3"));
        QVERIFY(!w.groupTree().focusedGroup());
        // Picking a group with the keyboard still filters.
        press(Qt::Key_Down);
        QVERIFY(w.groupTree().focusedGroup());
        QCOMPARE(w.statusText(3), QStringLiteral("2"));
    }

    void typeAheadSelectsOneRowAndDeleteTakesThePersonShown() {
        TForm_Main& w = open(kTwoGroups);
        clickGroup(0);
        clickPerson(0);   // ALİ
        press(Qt::Key_O); // ö on a Turkish map is a letter key; o finds no one
        QTest::sendKeyEvent(QTest::Click, &w.personList(), Qt::Key_unknown, QStringLiteral("ö"),
                            Qt::NoModifier);
        QCOMPARE(w.personList().focusedPerson(), person(1));
        QCOMPARE(w.personList().selectedPersons().size(), size_t(1));
        QCOMPARE(w.editor().Edit_Ad->text(), QStringLiteral("ÖMER"));
        clickTool(w.editing().SB_Sil);
        QCOMPARE(w.document().persons().personCount(), 2);
        QCOMPARE(person(0)->FirstName, QStringLiteral("ALİ"));
        QCOMPARE(count(0), 1u);
    }

    // Type-ahead reads the first letters the list keeps beside its rows:
    // they must follow every change of names, order and filter.
    void typeAheadFollowsEditsSortingAndTheFilter() {
        TForm_Main& w = open(kTwoGroups);
        const auto typeKey = [&w](const QString& letter) {
            QTest::sendKeyEvent(QTest::Click, &w.personList(), Qt::Key_unknown, letter,
                                Qt::NoModifier);
        };
        clickGroup(0);
        clickPerson(1); // ÖMER
        clickTool(w.editing().SB_Duzelt);
        w.editor().Edit_Ad->clear();
        typeInto(w.editor().Edit_Ad, QStringLiteral("zeki"));
        press(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(person(1)->FirstName, QStringLiteral("ZEKİ"));
        clickPerson(0); // ALİ
        w.personList().setFocus();
        typeKey(QStringLiteral("z"));
        QCOMPARE(w.personList().focusedPerson(), person(1));
        typeKey(QStringLiteral("ö")); // nobody is ÖMER any more
        QCOMPARE(w.personList().focusedPerson(), person(1));
        // Sorted by name descending, ZEKİ comes first, ALİ second.
        clickHeader(w.personList(), 1);
        clickHeader(w.personList(), 1);
        QCOMPARE(rowNames(w), QStringList({QStringLiteral("ZEKİ"), QStringLiteral("ALİ")}));
        w.personList().setFocus();
        typeKey(QStringLiteral("a"));
        QCOMPARE(w.personList().focusedPerson()->FirstName, QStringLiteral("ALİ"));
        QCOMPARE(w.document().persons().indexOf(w.personList().focusedPerson()).row(), 1);
        // Group B shows CAN alone: ALİ is not found behind the filter.
        clickGroup(1);
        clickRow(w.personList(), w.document().persons().index(0, 1));
        w.personList().setFocus();
        typeKey(QStringLiteral("a"));
        QCOMPARE(w.personList().focusedPerson()->FirstName, QStringLiteral("CAN"));
        typeKey(QStringLiteral("c"));
        QCOMPARE(w.personList().focusedPerson()->FirstName, QStringLiteral("CAN"));
    }

    // The views tell a screen reader of each change the list announces: a
    // filter must be one change of the whole list, never one row shown or
    // hidden at a time.
    void filteringIsOneChangeOfTheList() {
        QStringList lines = {QStringLiteral("1 GRUP "), QStringLiteral("2 GRUP A"),
                             QStringLiteral("2 GRUP B")};
        for (int i = 0; i < 2000; ++i)
            lines << QStringLiteral("0 ID %1").arg(i) << QStringLiteral("1 NAME ALİ")
                  << (i % 2 ? QStringLiteral("1 GRUP A") : QStringLiteral("1 GRUP B"));
        lines << QStringLiteral("0 TRLR");
        TForm_Main& w = open(lines);
        PersonListModel& model = w.document().persons();
        QSignalSpy resets(&model, &QAbstractItemModel::modelReset);
        QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        clickGroup(0);
        QCOMPARE(w.statusText(3), QStringLiteral("1000"));
        w.groupCommands().HepsiniGoster->trigger();
        QCOMPARE(w.statusText(3), QStringLiteral("2000"));
        QCOMPARE(resets.size(), 2);
        QCOMPARE(removed.size() + inserted.size() + changed.size(), 0);
    }

    void savedPersonHiddenByTheFilterIsShownAndSavedAgain() {
        QStringList lines = kTwoGroups;
        lines[0] = QStringLiteral("1 IDNO 3"); // CAN, in B, while A is focused
        TForm_Main& w = open(lines);
        QCOMPARE(w.statusText(3), QStringLiteral("2"));
        QCOMPARE(w.editor().Edit_Ad->text(), QStringLiteral("CAN"));
        QVERIFY(w.composeFile().contains("1 IDNO 3\r\n"));
        QVERIFY(!w.document().isModified());
    }

    void deletingTheShownPersonsGroupEmptiesThePages() {
        TForm_Main& w = open(kTwoGroups);
        clickGroup(1);
        clickPerson(0); // CAN
        QCOMPARE(w.editor().Edit_Ad->text(), QStringLiteral("CAN"));
        fx_.prompts->answer(PromptButton::Yes);
        w.groupCommands().GrupSil->trigger();
        QCOMPARE(w.document().persons().personCount(), 2);
        QCOMPARE(w.editor().Edit_Ad->text(), QString());
        QCOMPARE(w.editor().Lb_Info->text(), QStringLiteral("---"));
        QVERIFY(!w.personList().focusedPerson());
    }

    void untouchedNotesAreStoredExactly() {
        TForm_Main& w = open(kTwoGroups);
        clickGroup(0);
        clickPerson(0);
        typeInto(w.editor().Edit_Firma, QStringLiteral("x"));
        press(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(person(0)->Firm, QStringLiteral("x"));
        QCOMPARE(person(0)->Notes, QStringList({QStringLiteral("satır"), QString()}));
        // Typed notes keep every line, the last empty one too.
        typeInto(w.editor().Memo_Note, QStringLiteral("2"));
        press(Qt::Key_Return, Qt::ControlModifier);
        QCOMPARE(person(0)->Notes.size(), 2);
    }

    void aDateTypedWhileTheBoxIsClearIsKept() {
        TForm_Main& w = open(kTwoGroups);
        clickGroup(0);
        clickPerson(0);
        QDateEdit* date = w.editor().DTP_DogTarihi;
        QVERIFY(!w.editor().CheckBox_DogTarihi->isChecked());
        date->setFocus();
        press(Qt::Key_Up);
        QVERIFY(w.editor().CheckBox_DogTarihi->isChecked());
        press(Qt::Key_Return, Qt::ControlModifier);
        QVERIFY(person(0)->BirthDate != 0);
    }

    // On every page, each key reaches one thing only: a label that takes
    // Alt+T would swallow "Tamam".
    void noKeyIsClaimedTwice() {
        TForm_Main& w = open(kTwoGroups);
        QTabWidget* pages = w.editor().PageControl_Main;
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            const QStringList clashes = shortcutClashes(&w);
            QVERIFY2(clashes.isEmpty(), qPrintable(pages->tabText(i) + QStringLiteral(" | ") +
                                                   clashes.join(QStringLiteral(" | "))));
        }
    }

    void confirmAndAddKeysWorkOnEveryPage() {
        TForm_Main& w = open(kTwoGroups);
        QTabWidget* pages = w.editor().PageControl_Main;
        for (int i = 0; i < pages->count(); ++i) {
            pages->setCurrentIndex(i);
            w.personList().setFocus();
            press(Qt::Key_E, Qt::AltModifier);
            QVERIFY2(w.editing().isEditing(), qPrintable(pages->tabText(i)));
            typeInto(w.editor().Edit_Ad, QStringLiteral("yeni"));
            w.editor().Edit_Ad->setFocus();
            press(Qt::Key_T, Qt::AltModifier);
            QVERIFY2(!w.editing().isEditing(), qPrintable(pages->tabText(i)));
        }
        QCOMPARE(w.document().persons().personCount(), 3 + pages->count());
    }

    void upperCaseEntryKeepsUndo() {
        TForm_Main& w = open(kTwoGroups);
        clickGroup(0);
        clickPerson(0);
        QLineEdit* name = w.editor().Edit_DogYer;
        typeInto(name, QStringLiteral("izmir"));
        QCOMPARE(name->text(), QStringLiteral("İZMİR"));
        press(Qt::Key_Z, Qt::ControlModifier);
        QVERIFY2(name->text().size() < 5, qPrintable(name->text()));
    }

    // Esc throws typed work away only after a question; with nothing
    // typed it cancels at once.
    void escapeAsksBeforeDroppingTypedWork() {
        TForm_Main& w = open(kTwoGroups);
        clickGroup(0);
        clickPerson(0);
        typeInto(w.editor().Edit_Firma, QStringLiteral("x"));
        fx_.prompts->answer(PromptButton::No);
        press(Qt::Key_Escape);
        QCOMPARE(fx_.prompts->shown().size(), 1);
        QVERIFY(w.editing().isEditing());
        QCOMPARE(w.editor().Edit_Firma->text(), QStringLiteral("x"));
        fx_.prompts->answer(PromptButton::Yes);
        press(Qt::Key_Escape);
        QVERIFY(!w.editing().isEditing());
        QCOMPARE(w.editor().Edit_Firma->text(), QString());

        fx_.prompts->clear();
        w.personList().setFocus();
        press(Qt::Key_F2);
        QVERIFY(w.editing().isEditing());
        press(Qt::Key_Escape);
        QVERIFY(!w.editing().isEditing());
        press(Qt::Key_E, Qt::AltModifier); // the proposed number is no typed work
        press(Qt::Key_Escape);
        QVERIFY(!w.editing().isEditing());
        QVERIFY(fx_.prompts->shown().isEmpty());
    }

    void deleteKeyInTheLists() {
        TForm_Main& w = open(kTwoGroups);
        clickGroup(0);
        clickPerson(1); // ÖMER
        press(Qt::Key_Delete);
        QCOMPARE(w.document().persons().personCount(), 2);
        QCOMPARE(person(0)->FirstName, QStringLiteral("ALİ"));
        QCOMPARE(count(0), 1u);

        clickPerson(0);
        w.editor().ShowPerson(*person(0));
        w.editor().ListBox_Tel->addItems({QStringLiteral("GSM\t0532"), QStringLiteral("Ev\t312")});
        clickRow(*w.editor().ListBox_Tel, w.editor().ListBox_Tel->model()->index(1, 0));
        press(Qt::Key_Delete);
        QCOMPARE(w.editor().ListBox_Tel->count(), 1);
        QVERIFY(w.editing().isEditing());
    }

    void contactRowsShowTheWholeEntryAsTip() {
        TForm_Main& w = open(kTwoGroups);
        QListWidget* list = w.editor().ListBox_Tel;
        list->addItems(
            {QStringLiteral("Uzun Bir Tür Adı\t0532 111 22 33"), QStringLiteral("türsüz")});
        for (int row = 0; row < 2; ++row) {
            const QPoint at = list->visualItemRect(list->item(row)).center();
            QHelpEvent tip(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
            QApplication::sendEvent(list->viewport(), &tip);
            QCOMPARE(QToolTip::text(), row == 0 ? QStringLiteral("Uzun Bir Tür Adı: 0532 111 22 33")
                                                : QStringLiteral("türsüz"));
        }
    }

    void longNamesNeverWidenTheWindow() {
        const QString first = QStringLiteral("MUHAMMED ABDULLAH ABDURRAHMAN ABDÜLKADİR");
        TForm_Main& w =
            open({QStringLiteral("1 GRUP A"), QStringLiteral("2 GRUP A"), QStringLiteral("0 ID 1"),
                  QStringLiteral("1 NAME ") + first,
                  QStringLiteral("1 SURN KARAMUSTAFAPAŞAOĞULLARI YILDIRIMBEYAZIT"),
                  QStringLiteral("1 GRUP A"), QStringLiteral("1 TIME"),
                  QStringLiteral("2 RECD 01.01.2020  10:00:00"), QStringLiteral("0 TRLR")});
        QCOMPARE(w.size(), QSize(651, 513)); // the designed size on a first start
        QTest::qWait(50);
        QCOMPARE(w.size(), QSize(651, 513));
        QVERIFY(w.minimumSizeHint().width() <= 651 && w.minimumSizeHint().height() <= 513);
        QVERIFY(w.editor().Lb_Info->toolTip().startsWith(QStringLiteral("1 - Muhammed Abdullah")));
        // A name longer than its field shows its beginning.
        for (QLineEdit* e : {w.editor().Edit_Ad, w.editor().Edit_Soyad}) {
            QCOMPARE(e->cursorPosition(), 0);
            QVERIFY(e->inputMethodQuery(Qt::ImCursorRectangle).toRect().x() < 10);
        }
    }

    void storedPlacementOffTheScreenIsBroughtBack() {
        SettingsStore::PageSetup p;
        p.left = 3000;
        p.top = 2000;
        p.width = 5000;
        p.height = 300;
        SettingsStore().writePageSetup(p);
        TForm_Main& w = open(kTwoGroups);
        const QRect area = w.screen()->availableGeometry();
        QVERIFY2(area.contains(w.frameGeometry()), qPrintable(QStringLiteral("%1,%2 %3x%4")
                                                                  .arg(w.x())
                                                                  .arg(w.y())
                                                                  .arg(w.width())
                                                                  .arg(w.height())));
    }

    // Settings spoilt by hand or by another program: the window still
    // starts, visible, with sane values.
    void garbageSettingsGiveSaneDefaults() {
        QSettings raw(QStringLiteral("Orvak"), QStringLiteral("Zilvaren"));
        raw.setValue(QStringLiteral("PageSetup/Left"), QStringLiteral("sol"));
        raw.setValue(QStringLiteral("PageSetup/Top"), -90000);
        raw.setValue(QStringLiteral("PageSetup/Width"), -5);
        raw.setValue(QStringLiteral("PageSetup/Height"), QStringLiteral("1e99"));
        raw.beginGroup(QStringLiteral("Recent Files"));
        raw.setValue(QStringLiteral("RecentFile_0"), QStringLiteral("/dev/zero"));
        for (int i = 1; i < 3000; ++i)
            raw.setValue(QStringLiteral("RecentFile_%1").arg(i),
                         QStringLiteral("/yok/%1.qdb").arg(i));
        raw.endGroup();
        raw.sync();
        w_ = std::make_unique<TForm_Main>(fx_.services());
        w_->show();
        QVERIFY(QTest::qWaitForWindowExposed(w_.get()));
        w_->openStartupFile();
        QVERIFY(w_->screen()->availableGeometry().contains(w_->frameGeometry()));
        QVERIFY(w_->width() >= w_->minimumSizeHint().width());
        QCOMPARE(w_->windowTitle(), QStringLiteral("Zilvaren - Unnamed.qdb"));
        QVERIFY(
            fx_.prompts->messages().value(0).contains(QStringLiteral("sıradan bir dosya değil")));
        // Every entry is listed; the unreadable one goes back on top, which
        // drops the last, as opening does.
        QCOMPARE(w_->files().recentFiles().size(), 2999);
    }

    // "Hepsini Göster" keeps the current person in sight, centred, and a
    // big tree never scrolls its marker column away.
    void showAllCentresTheCurrentPerson() {
        QStringList lines = {QStringLiteral("1 GRUP B"), QStringLiteral("2 GRUP A"),
                             QStringLiteral("2 GRUP B ÇOK UZUN BİR GRUP ADI OLAN BİR ALT BÖLÜM")};
        for (int i = 1; i <= 300; ++i)
            lines << QStringLiteral("0 ID %1").arg(i) << QStringLiteral("1 NAME P%1").arg(i)
                  << (i == 250 ? QStringLiteral("1 GRUP B ÇOK UZUN BİR GRUP ADI OLAN BİR ALT BÖLÜM")
                               : QStringLiteral("1 GRUP A"));
        lines[0] = QStringLiteral("1 GRUP B ÇOK UZUN BİR GRUP ADI OLAN BİR ALT BÖLÜM");
        lines << QStringLiteral("0 TRLR");
        lines.prepend(QStringLiteral("1 IDNO 250"));
        TForm_Main& w = open(lines);
        QCOMPARE(w.personList().focusedPerson()->RecordNo, QStringLiteral("250"));
        w.groupCommands().HepsiniGoster->trigger();
        PersonListView& list = w.personList();
        const QRect row = list.visualRect(list.currentIndex());
        QVERIFY2(std::abs(row.center().y() - list.viewport()->height() / 2) <= row.height(),
                 qPrintable(QString::number(row.center().y())));
        QVERIFY(!w.groupTree().horizontalScrollBar()->isVisible());
    }

    void timeStampsLeaveWithThePerson() {
        TForm_Main& w = open(
            {QStringLiteral("1 GRUP A"), QStringLiteral("2 GRUP A"), QStringLiteral("0 ID 1"),
             QStringLiteral("1 NAME ALİ"), QStringLiteral("1 GRUP A"), QStringLiteral("1 TIME"),
             QStringLiteral("2 RECD 01.01.2020  10:00:00"), QStringLiteral("0 TRLR")});
        QVERIFY(w.editor().Lb_EditTime->text().contains(QStringLiteral("Kayıt tarihi")));
        clickTool(w.editing().SB_Ekle);
        QCOMPARE(w.editor().Lb_EditTime->text(), QString());
        clickTool(w.editing().SB_Iptal);
        clickPerson(0);
        QVERIFY(!w.editor().Lb_EditTime->text().isEmpty());
        clickTool(w.editing().SB_Sil);
        QCOMPARE(w.editor().Lb_EditTime->text(), QString());
        QCOMPARE(w.document().persons().personCount(), 0);
    }
};

QTEST_MAIN(TestWindowInput)
#include "test_window_input.moc"
