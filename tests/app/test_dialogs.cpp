#include "ShortcutClashes.h"
#include "WindowFixture.h"
#include "app/AppWindows.h"
#include "app/MainCommands.h"
#include "duplicates/DuplicatesDialog.h"
#include "groups/GroupCommands.h"
#include "groups/GroupTreeView.h"
#include "person/PersonEditor.h"
#include "person/PersonListView.h"
#include "platform/Clock.h"
#include "platform/ScriptedPrompts.h"
#include "platform/SettingsStore.h"
#include "platform/ShellOpener.h"
#include "search/FindDialog.h"
#include "telephony/DialWindow.h"
#include "tools/ToolsDialog.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <QtTest>

#include <functional>

namespace {

// What the window's last status panel said, and whether the wait cursor
// was up, each time a message was shown.
class WatchingPrompts : public ScriptedPrompts {
public:
    std::function<QString()> status;
    QStringList seen;
    void showMessage(const QString& text) override {
        look();
        ScriptedPrompts::showMessage(text);
    }
    void showError(const QString& text) override {
        look();
        ScriptedPrompts::showError(text);
    }

private:
    void look() {
        seen << status() +
                    (QGuiApplication::overrideCursor() ? QStringLiteral(" +wait") : QString());
    }
};

// The same at each time stamp: an import stamps every person while it works.
// Opening the file asks the time too (whose birthday is today), before the
// watch begins.
class WatchingClock : public ManualClock {
public:
    using ManualClock::ManualClock;
    std::function<QString()> status;
    mutable QStringList seen;
    QDateTime now() const override {
        if (status)
            seen << status();
        return ManualClock::now();
    }
};

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
    WindowFixture fx_;
    std::unique_ptr<QTemporaryDir>& dir_ = fx_.dir;
    std::unique_ptr<ScriptedPrompts>& prompts_ = fx_.prompts;
    std::unique_ptr<AppWindows> app_;

    TForm_Main& open(const QStringList& lines) {
        fx_.startWith(QStringLiteral("d.qdb"), lines);
        app_ = std::make_unique<AppWindows>(fx_.services());
        app_->main().openStartupFile();
        return app_->main();
    }
    static QStringList sample() {
        return {QStringLiteral("1 GRUP A"),
                QStringLiteral("2 GRUP A"),
                QStringLiteral("2 GRUP B"),
                QStringLiteral("1 SETS "),
                QStringLiteral("2 CHEK FindWords=5"),
                QStringLiteral("0 ID 1"),
                QStringLiteral("1 NAME ALİ"),
                QStringLiteral("1 GRUP A"),
                QStringLiteral("1 PHON"),
                QStringLiteral("2 CONT GSM\t0532 123 45 67"),
                QStringLiteral("0 ID 2"),
                QStringLiteral("1 NAME VELİ"),
                QStringLiteral("1 SURN ALİOĞLU"),
                QStringLiteral("1 GRUP B"),
                QStringLiteral("0 ID 3"),
                QStringLiteral("1 NAME ALI"),
                QStringLiteral("1 GRUP A"),
                QStringLiteral("0 TRLR")};
    }

private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }
    void init() { fx_.reset(); }
    void cleanup() { app_.reset(); }

    void noKeyIsClaimedTwiceInADialog() {
        TForm_Main& w = open(sample());
        DuplicatesDialog duplicates(w.document(), *fx_.clock, &w);
        for (QDialog* d : std::initializer_list<QDialog*>{&app_->find(), &app_->tools(),
                                                          &app_->telefon(), &duplicates}) {
            d->show();
            const QStringList clashes = shortcutClashes(d);
            QVERIFY2(clashes.isEmpty(), qPrintable(d->windowTitle() + QStringLiteral(" | ") +
                                                   clashes.join(QStringLiteral(" | "))));
            d->hide();
        }
    }

    void generalSettings() {
        TForm_Main& w = open(sample());
        TToolsDialogBox& t = app_->tools();
        QCOMPARE(t.SpinEdit_Aralar->value(), 10); // 5 from the file is brought into range
        t.SpinEdit_Aralar->setValue(300);
        QCOMPARE(w.document().settings().findWords, 250);
        t.CheckBox_SaveAndClose->setChecked(true);
        QVERIFY(w.document().settings().saveAndClose);
        t.RadioGroup_Resim->button(2)->click();
        QCOMPARE(prompts_->messages(),
                 QStringList({QStringLiteral("Yeni Düzenleniyor, Değiştirilemez.")}));
        QCOMPARE(t.RadioGroup_Resim->checkedId(), 1);

        w.document().markSaved();
        t.Button_Tlf_Bosluk_Yap->click();
        QCOMPARE(w.document().persons().personAt(0)->Contacts.first(),
                 QStringLiteral("GSM\t0 532 123 45 67"));
        QCOMPARE(w.editor().ListBox_Tel->item(0)->text(), QStringLiteral("GSM\t0 532 123 45 67"));
        QVERIFY(w.document().isModified());
        t.Button_KytNoRenew->click();
        QCOMPARE(w.document().persons().personAt(1)->RecordNo, QStringLiteral("00002"));
        QCOMPARE(w.editor().Edit_ID->text(), QStringLiteral("00001"));
    }

    void findBoxes() {
        open(sample());
        TForm_Find& f = app_->find();
        f.checks[CheckTamami]->click();
        for (int c = CheckID; c <= CheckGrup; ++c)
            QVERIFY(f.checks[size_t(c)]->isChecked());
        f.checks[CheckAdres]->click();
        QVERIFY(!f.checks[CheckAdres]->isChecked());
        QVERIFY(!f.checks[CheckTamami]->isChecked());
        QVERIFY(f.checks[CheckID]->isChecked());
        f.checks[CheckAdres]->click();
        QVERIFY(!f.checks[CheckTamami]->isChecked()); // all seven again, TAMAMI stays clear
        f.checks[CheckTamami]->click();
        f.checks[CheckTamami]->click();
        QVERIFY(!f.checks[CheckNotlar]->isChecked());
    }

    // Typing over a remembered word searches what was typed: ALI (dotless)
    // is another word than ali.
    void typedWordIsNotSwappedForARememberedOne() {
        TForm_Main& w = open(sample());
        TForm_Find& f = app_->find();
        f.checks[CheckAdSoyad]->click();
        f.show();
        f.ComboBox_Find->setEditText(QStringLiteral("ali"));
        QTest::keyClick(f.ComboBox_Find, Qt::Key_Return);
        QCOMPARE(f.Label_Count->text(), QStringLiteral("Arama Listesi Sonucu 2 Adettir."));
        f.ComboBox_Find->lineEdit()->clear();
        QTest::keyClicks(f.ComboBox_Find, QStringLiteral("ALI"));
        QCOMPARE(f.ComboBox_Find->currentText(), QStringLiteral("ALI"));
        QTest::keyClick(f.ComboBox_Find, Qt::Key_Return);
        QCOMPARE(w.document().find().items,
                 QStringList({QStringLiteral("ALI"), QStringLiteral("ali")}));
        QCOMPARE(f.Label_Count->text(), QStringLiteral("Arama Listesi Sonucu 1 Adettir."));
        QCOMPARE(f.VST->topLevelItem(0)->text(1), QStringLiteral("ALI"));
    }

    void searchAndJumpToAHiddenPerson() {
        TForm_Main& w = open(sample());
        TForm_Find& f = app_->find();
        f.checks[CheckAdSoyad]->click();
        w.document().markSaved();
        f.show();
        f.ComboBox_Find->setEditText(QStringLiteral(" ali "));
        QTest::keyClick(f.ComboBox_Find, Qt::Key_Return); // where the focused box gets its keys
        QVERIFY(f.isVisible()); // Enter searches and keeps the dialog open
        QCOMPARE(f.Label_Count->text(), QStringLiteral("Arama Listesi Sonucu 2 Adettir."));
        QCOMPARE(f.VST->topLevelItem(1)->text(3), QStringLiteral("- Soyad -"));
        QCOMPARE(w.document().find().items.first(), QStringLiteral("ali"));
        QVERIFY(w.document().isModified());

        // VELİ is in B and hidden while A is focused.
        QCOMPARE(w.statusText(3), QStringLiteral("2"));
        f.VST->setCurrentItem(f.VST->topLevelItem(1));
        f.VSTDblClick();
        QVERIFY(!f.isVisible());
        QCOMPARE(w.groupTree().focusedGroup()->Name, QStringLiteral("B"));
        QCOMPARE(w.personList().focusedPerson()->FirstName, QStringLiteral("VELİ"));
        QCOMPARE(w.editor().Edit_Ad->text(), QStringLiteral("VELİ"));

        prompts_->answer(PromptButton::No);
        w.Button_YeniClick();
        QCOMPARE(f.VST->topLevelItemCount(), 0);
        QCOMPARE(f.ComboBox_Find->count(), 0);
        QVERIFY(!f.checks[CheckAdSoyad]->isChecked());
        QCOMPARE(f.Label_Count->text(), QString());
    }

    void importIntoTheFocusedGroup() {
        TForm_Main& w = open(sample());
        const QString book = dir_->filePath(QStringLiteral("book.txt"));
        QString line = QStringLiteral("Ahmet;Kaya;Can");
        for (int c = 4; c <= 29; ++c)
            line += QLatin1Char(';') + (c == 14 ? QStringLiteral("0532") : QString());
        writeFile(book,
                  cp1254::encode(line + QStringLiteral("\r\n") + line + QStringLiteral("\r\n")));
        prompts_->answerText(book);
        // The list hears of the whole import as one change.
        QSignalSpy inserted(&w.document().persons(), &QAbstractItemModel::rowsInserted);
        w.Button_ImportClick();
        QCOMPARE(inserted.size(), 1);
        QCOMPARE(inserted.first().at(2).toInt() - inserted.first().at(1).toInt(), 1);
        QCOMPARE(
            prompts_->messages(),
            QStringList({QStringLiteral(
                             "MS Adres Defterinden tüm kolonları ile txt formatında elde "
                             "edeceginiz dosyadaki kişi bilgilerini bu programa aktarabilirsiniz."),
                         QStringLiteral("Record Count => 2")}));
        QCOMPARE(w.document().persons().personCount(), 5);
        const PersonRecord* p = w.document().persons().personAt(3);
        QCOMPARE(p->FirstName, QStringLiteral("Ahmet Can"));
        QCOMPARE(p->GroupPath, QStringLiteral("A"));
        QCOMPARE(p->Contacts, QStringList({QStringLiteral("GSM\t0532")}));
        QCOMPARE(w.document().groups().root().children[0]->MemberCount, 4u);
        QCOMPARE(w.statusText(1), QStringLiteral("5"));
        QVERIFY(w.commands().DosyaAc->isEnabled());
    }

    // Long work says in the status bar what it does and clears it, with the
    // wait cursor, before any message about it is shown.
    void longWorkIsAnnouncedAndOverBeforeItsMessages() {
        auto* prompts = new WatchingPrompts;
        fx_.prompts.reset(prompts);
        auto* clock = new WatchingClock(QDateTime(QDate(2026, 12, 9), QTime(9, 0)));
        fx_.clock.reset(clock);
        TForm_Main& w = open(sample());
        prompts->status = clock->status = [&w] { return w.statusText(4); };
        const QString book = dir_->filePath(QStringLiteral("book.txt"));
        const QString line = QStringLiteral("Ahmet") + QString(28, QLatin1Char(';'));
        writeFile(book,
                  cp1254::encode(line + QStringLiteral("\r\n") + line + QStringLiteral("\r\n")));
        prompts_->answerText(book);
        w.commands().Menu_ImportFile->trigger();
        QCOMPARE(clock->seen, QStringList(2, QStringLiteral("Aktarılıyor: ") + book));
        QCOMPARE(prompts->seen, QStringList({QString(), QString()}));
        QCOMPARE(prompts_->messages().last(), QStringLiteral("Record Count => 2"));

        // An export that cannot write its file reports it with all cleared.
        QVERIFY(QDir(QDir::currentPath()).mkdir(QStringLiteral("Export.csv")));
        w.commands().Export->trigger();
        QCOMPARE(prompts->seen.size(), 3);
        QCOMPARE(prompts->seen.last(), QString());
        QVERIFY(prompts_->messages().last().startsWith(QStringLiteral("Cannot create file")));
        QVERIFY(!QGuiApplication::overrideCursor());
    }

    void importNeedsAGroup() {
        TForm_Main& w = open({QStringLiteral("0 TRLR")});
        w.Button_ImportClick();
        QCOMPARE(prompts_->messages().size(), 1);
        QVERIFY(prompts_->messages().first().startsWith(
            QStringLiteral("Öncelikle en az bir adet Grup")));
    }

    void exportIntoTheCurrentFolder() {
        TForm_Main& w = open(sample());
        w.ExportClick();
        const QString expected = QStringLiteral("Bilgiler ") + QDir::currentPath() +
                                 QDir::separator() +
                                 QStringLiteral("Export.csv dosyasına aktarıldı.");
        QCOMPARE(prompts_->messages(), QStringList({expected}));
        const QByteArray csv = readFile(dir_->filePath(QStringLiteral("Export.csv")));
        QCOMPARE(csv.count("\r\n"), 4);
    }
};

QTEST_MAIN(TestDialogs)
#include "test_dialogs.moc"
