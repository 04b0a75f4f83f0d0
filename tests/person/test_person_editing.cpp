#include "WindowFixture.h"
#include "app/FileCommands.h"
#include "app/MainCommands.h"
#include "app/TForm_Main.h"
#include "groups/GroupTreeView.h"
#include "person/ContactList.h"
#include "person/PersonEditing.h"
#include "person/PersonEditor.h"
#include "person/PersonListView.h"
#include "platform/Clock.h"
#include "platform/ScriptedPrompts.h"
#include "platform/SettingsStore.h"
#include "platform/ShellOpener.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {

// Types text as a user would, one key event per character (Turkish
// letters included).
void type(QWidget* w, const QString& text) {
    w->setFocus();
    for (QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w, Qt::Key_unknown, QString(c), Qt::NoModifier);
}

} // namespace

class TestPersonEditing : public QObject {
    Q_OBJECT
    WindowFixture fx_;
    std::unique_ptr<ScriptedPrompts>& prompts_ = fx_.prompts;
    std::unique_ptr<ManualClock>& clock_ = fx_.clock;
    RecordingShell& shell_ = fx_.shell;
    std::unique_ptr<TForm_Main> w_;

    TForm_Main& open(const QStringList& lines) {
        fx_.startWith(QStringLiteral("p.qdb"), lines);
        w_ = std::make_unique<TForm_Main>(fx_.services());
        w_->openStartupFile();
        return *w_;
    }
    PersonEditor& e() { return w_->editor(); }
    PersonEditing& ed() { return w_->editing(); }
    PersonRecord* person(int i) { return w_->document().persons().personAt(i); }
    quint32 count(int topLevel) {
        return w_->document().groups().root().children[size_t(topLevel)]->MemberCount;
    }

    static QStringList fivePersons() {
        QStringList l{QStringLiteral("1 GRUP A"), QStringLiteral("2 GRUP A")};
        for (int i = 1; i <= 5; ++i)
            l << QStringLiteral("0 ID %1").arg(i) << QStringLiteral("1 NAME P%1").arg(i)
              << QStringLiteral("1 GRUP A");
        l << QStringLiteral("0 TRLR");
        return l;
    }

private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }
    void init() { fx_.reset(); }
    void cleanup() { w_.reset(); }

    void addingWithoutGroupsCreatesOne() {
        TForm_Main& w = open({QStringLiteral("0 TRLR")});
        ed().SB_EkleClick();
        QCOMPARE(e().Lb_Info->text(), QStringLiteral("Yeni Kayıt Yapılıyor"));
        QCOMPARE(e().Edit_ID->text(), QStringLiteral("1"));
        QVERIFY(!w.personList().isEnabled());
        QVERIFY(!w.commands().DosyaAc->isEnabled());
        QVERIFY(!w.commands().ToolButton7->isEnabled());
        QVERIFY(ed().SB_Tamam->isEnabled());
        type(e().Edit_Ad, QStringLiteral("ismail ışık"));
        QCOMPARE(e().Edit_Ad->text(), QStringLiteral("İSMAİL IŞIK"));
        ed().SB_TamamClick();
        QVERIFY(prompts_->messages().isEmpty());
        QCOMPARE(w.document().persons().personCount(), 1);
        QCOMPARE(w.document().groups().root().children[0]->Name, QStringLiteral("Yeni Grup"));
        QCOMPARE(count(0), 1u);
        QCOMPARE(person(0)->GroupPath, QStringLiteral("Yeni Grup"));
        QCOMPARE(person(0)->RecordedAt, QStringLiteral("08.12.2026  09:30:05"));
        QVERIFY(person(0)->EditedAt.isEmpty());
        QCOMPARE(e().Lb_Info->text(), QStringLiteral("1 - İsmail Işık ")); // no surname
        QVERIFY(w.document().isModified());
        QVERIFY(w.commands().Menu_Kaydet->isEnabled());
        QVERIFY(w.commands().DosyaAc->isEnabled());
        QCOMPARE(w.statusText(1), QStringLiteral("1"));
        QCOMPARE(w.personList().focusedPerson(), person(0));
    }

    void confirmRules() {
        TForm_Main& w = open(fivePersons());
        ed().SB_EkleClick();
        QCOMPARE(e().Edit_ID->text(), QStringLiteral("6"));
        e().Edit_ID->setText(QStringLiteral("  7 "));
        ed().SB_TamamClick();
        QCOMPARE(prompts_->messages(),
                 QStringList({QStringLiteral("Kayıt No ve/veya Ad Boş Bırakılamaz !")}));
        QVERIFY(ed().isEditing());
        e().Edit_ID->setText(QStringLiteral("3"));
        e().Edit_Ad->setText(QStringLiteral("X"));
        ed().SB_TamamClick();
        QCOMPARE(prompts_->messages().last(),
                 QStringLiteral("Aynı Kayıt Numarası Tekrar Kullanılamaz !"));
        e().Edit_ID->setText(QStringLiteral("  007 "));
        e().Edit_Soyad->setText(QStringLiteral("KAYA  "));
        ed().SB_TamamClick();
        QCOMPARE(prompts_->messages().size(), 2);
        QCOMPARE(person(5)->RecordNo, QStringLiteral("007"));
        QCOMPARE(person(5)->Surname, QStringLiteral("KAYA  "));
        QCOMPARE(count(0), 6u);
        QVERIFY(!ed().isEditing());
        Q_UNUSED(w);
    }

    void typingStartsAnEditAndCancelRestores() {
        TForm_Main& w = open(fivePersons());
        w.document().markSaved();
        type(e().Edit_Firma, QStringLiteral("Orvak"));
        QCOMPARE(e().Lb_Info->text(), QStringLiteral("Kayıt Düzeltiliyor"));
        QVERIFY(ed().isEditing());
        QVERIFY(!w.commands().Menu_Kaydet->isEnabled());
        ed().SB_IptalClick();
        QCOMPARE(e().Edit_Firma->text(), QString());
        QVERIFY(!w.document().isModified()); // remembered across the edit
        QVERIFY(w.personList().isEnabled());

        type(e().Edit_Firma, QStringLiteral("Orvak"));
        e().ComboBox_MedHal->setCurrentIndex(2);
        clock_->set(QDateTime(QDate(2027, 1, 2), QTime(3, 4, 5)));
        ed().SB_TamamClick();
        PersonRecord* p = w.personList().focusedPerson();
        QCOMPARE(p->Firm, QStringLiteral("Orvak"));
        QCOMPARE(p->MaritalStatus, QChar(u'B'));
        QCOMPARE(p->EditedAt, QStringLiteral("02.01.2027  03:04:05"));
        QVERIFY(p->RecordedAt.isEmpty());
        QVERIFY(
            e().Lb_EditTime->text().contains(QStringLiteral("Son Düzeltme tarihi : 02.01.2027")));
        QVERIFY(w.document().isModified());
    }

    void editingKeepsItsOwnNumber() {
        open(fivePersons());
        ed().SB_DuzeltClick();
        ed().SB_TamamClick();
        QVERIFY(prompts_->messages().isEmpty());
    }

    void editWithoutFocusReports() {
        TForm_Main& w = open({QStringLiteral("0 TRLR")});
        ed().SB_DuzeltClick();
        QCOMPARE(prompts_->messages(),
                 QStringList({QStringLiteral("Düzeltme işlemi için seçili bir kayıt olmalıdır.")}));
        QVERIFY(!ed().isEditing());
        Q_UNUSED(w);
    }

    void deleteNeighbours() {
        TForm_Main& w = open(fivePersons());
        w.personList().focusPerson(person(4));
        ed().SB_SilClick();
        QCOMPARE(w.document().persons().personCount(), 4);
        QCOMPARE(e().Edit_Ad->text(), QStringLiteral("P4")); // the previous one, shown
        QVERIFY(!w.personList().focusedPerson());
        QCOMPARE(count(0), 4u);
        QCOMPARE(w.statusText(1), QStringLiteral("4"));
        w.personList().focusPerson(person(1));
        ed().SB_SilClick();
        QCOMPARE(e().Edit_Ad->text(), QStringLiteral("P3")); // the next one
        // With no focused person, typing starts a new person.
        type(e().Edit_Firma, QStringLiteral("x"));
        QCOMPARE(e().Lb_Info->text(), QStringLiteral("Yeni Kayıt Yapılıyor"));
        ed().SB_IptalClick();
        for (int i = 0; i < 3; ++i) {
            w.personList().focusPerson(person(0));
            ed().SB_SilClick();
        }
        QCOMPARE(e().Lb_Info->text(), QStringLiteral("---"));
        QCOMPARE(count(0), 0u);
    }

    void sexButtonCycles() {
        open(fivePersons());
        ed().SB_SexClick();
        QCOMPARE(e().ComboBox_Sex->currentText(), QStringLiteral("Erkek"));
        QVERIFY(ed().isEditing());
        ed().SB_SexClick();
        QCOMPARE(e().ComboBox_Sex->currentText(), QStringLiteral("Kadın"));
        ed().SB_SexClick();
        QCOMPARE(e().ComboBox_Sex->currentText(), QStringLiteral("????"));
        e().ComboBox_Sex->setCurrentIndex(2);
        QCOMPARE(e().sexTag(), 2);
        ed().SB_TamamClick();
        QCOMPARE(w_->personList().focusedPerson()->Sex, QChar(u'F'));
    }

    void charactersTheFileCannotHoldAreRefused() {
        open(fivePersons());
        type(e().Edit_Firma, QString::fromUtf8("Ωmega"));
        ed().SB_TamamClick();
        QCOMPARE(prompts_->messages().size(), 1);
        QVERIFY(prompts_->messages().first().contains(QChar(0x03A9)));
        QVERIFY(ed().isEditing());
    }

    void sortingByHeader() {
        TForm_Main& w =
            open({QStringLiteral("0 ID 10"), QStringLiteral("1 NAME ZEKİ"),
                  QStringLiteral("0 ID 9"), QStringLiteral("1 NAME ali"), QStringLiteral("0 ID 1"),
                  QStringLiteral("1 NAME İSMAİL"), QStringLiteral("0 TRLR")});
        PersonListView& v = w.personList();
        QCOMPARE(v.sortColumn(), 0);
        v.VSTHeaderClick(1);
        QCOMPARE(v.sortColumn(), 1);
        QCOMPARE(person(0)->FirstName, QStringLiteral("ali"));
        v.VSTHeaderClick(1);
        QCOMPARE(v.sortOrder(), Qt::DescendingOrder);
        QCOMPARE(person(0)->FirstName, QStringLiteral("ZEKİ"));
        v.VSTHeaderClick(0);
        QCOMPARE(v.sortOrder(), Qt::AscendingOrder);
        QCOMPARE(person(0)->RecordNo, QStringLiteral("1"));
        QCOMPARE(person(1)->RecordNo, QStringLiteral("10"));
    }

    void typeAhead() {
        TForm_Main& w = open(
            {QStringLiteral("1 GRUP A"), QStringLiteral("2 GRUP A"), QStringLiteral("0 ID 1"),
             QStringLiteral("1 NAME AHMET"), QStringLiteral("1 GRUP A"), QStringLiteral("0 ID 2"),
             QStringLiteral("1 NAME IŞIK"), QStringLiteral("1 GRUP A"), QStringLiteral("0 ID 3"),
             QStringLiteral("1 NAME ALİ"), QStringLiteral("1 GRUP B"), QStringLiteral("0 ID 4"),
             QStringLiteral("1 NAME ALİ"), QStringLiteral("1 GRUP A"), QStringLiteral("0 ID 5"),
             QStringLiteral("1 NAME İSMAİL"), QStringLiteral("1 GRUP A"),
             QStringLiteral("0 TRLR")});
        PersonListView& v = w.personList();
        QCOMPARE(v.focusedPerson()->RecordNo, QStringLiteral("1"));
        v.keyboardSearch(QStringLiteral("a"));
        QCOMPARE(v.focusedPerson()->RecordNo, QStringLiteral("4")); // 3 is hidden
        v.keyboardSearch(QStringLiteral("a"));
        QCOMPARE(v.focusedPerson()->RecordNo, QStringLiteral("1")); // wrapped
        v.keyboardSearch(QStringLiteral("i"));
        QCOMPARE(v.focusedPerson()->RecordNo, QStringLiteral("5"));
        v.keyboardSearch(QString::fromUtf8("ı"));
        QCOMPARE(v.focusedPerson()->RecordNo, QStringLiteral("2"));
        v.keyboardSearch(QStringLiteral("z"));
        QCOMPARE(v.focusedPerson()->RecordNo, QStringLiteral("2"));
        QCOMPARE(e().Edit_Ad->text(), QStringLiteral("IŞIK"));
    }

    void contactEntries() {
        TForm_Main& w = open(fivePersons());
        ContactList& c = w.contacts();
        QString lastTitle;
        ContactList::Entry lastEntry;
        std::optional<ContactList::Entry> answer;
        c.setEntryDialog([&](const QString& title, const ContactList::Entry& entry) {
            lastTitle = title;
            lastEntry = entry;
            return answer;
        });
        c.SB_TelEditClick(true); // empty list: nothing
        QVERIFY(lastTitle.isEmpty());
        answer = ContactList::Entry{QStringLiteral("GSM"), QStringLiteral("  0312 555 12 12 ")};
        c.SB_TelEditClick(false);
        QCOMPARE(lastTitle, QStringLiteral("Telefon-Email-Web Eklenmesi"));
        QCOMPARE(e().ListBox_Tel->item(0)->text(), QStringLiteral("GSM\t0312 555 12 12"));
        QCOMPARE(e().Lb_Info->text(), QStringLiteral("Kayıt Düzeltiliyor"));
        answer = ContactList::Entry{QStringLiteral("Fax"), QStringLiteral("1")};
        c.SB_TelEditClick(false);
        e().ListBox_Tel->setCurrentRow(1);
        answer = ContactList::Entry{QStringLiteral("İş"), QStringLiteral("2")};
        c.ListBox_TelDblClick();
        QCOMPARE(lastTitle, QStringLiteral("Telefon-Email-Web Düzeltilmesi"));
        QCOMPARE(lastEntry.kind, QStringLiteral("Fax"));
        QCOMPARE(e().ListBox_Tel->item(1)->text(), QStringLiteral("İş\t2"));
        answer = ContactList::Entry{QStringLiteral("Ev"), QStringLiteral("   ")};
        c.SB_TelEditClick(false);
        QCOMPARE(prompts_->messages(), QStringList({QStringLiteral("Lütfen Boş Bırakmayın.")}));
        c.SB_Tel_DownClick(); // the last one: nothing
        QCOMPARE(e().ListBox_Tel->item(1)->text(), QStringLiteral("İş\t2"));
        c.SB_Tel_UpClick();
        QCOMPARE(e().ListBox_Tel->item(0)->text(), QStringLiteral("İş\t2"));
        ed().SB_TamamClick();
        QCOMPARE(w.personList().focusedPerson()->Contacts,
                 QStringList({QStringLiteral("İş\t2"), QStringLiteral("GSM\t0312 555 12 12")}));

        e().ListBox_Tel->clearSelection();
        e().ListBox_Tel->setCurrentRow(-1);
        c.SB_TelSilClick();
        QCOMPARE(prompts_->messages().last(), QStringLiteral("Lütfen Listeden seçim yapınız."));
        e().ListBox_Tel->setCurrentRow(0);
        c.SB_TelSilClick();
        QCOMPARE(e().ListBox_Tel->count(), 1);
        QVERIFY(ed().isEditing());
        ed().SB_IptalClick();
        QCOMPARE(e().ListBox_Tel->count(), 2);
    }

    void dialAndShellOpen() {
        TForm_Main& w =
            open({QStringLiteral("0 ID 1"), QStringLiteral("1 NAME A"), QStringLiteral("1 PHON"),
                  QStringLiteral("2 CONT Web\twww.orvak.com.tr"),
                  QStringLiteral("2 CONT Mail\tali@orvak.com.tr"),
                  QStringLiteral("2 CONT GSM\t0532 123 45 67"), QStringLiteral("2 CONT web\tx"),
                  QStringLiteral("0 TRLR")});
        QStringList dialled;
        connect(&w.contacts(), &ContactList::dialRequested, this,
                [&dialled](const QString& n) { dialled.append(n); });
        for (int row = 0; row < 4; ++row) {
            e().ListBox_Tel->setCurrentRow(row);
            e().SB_TelCevir->click();
        }
        QCOMPARE(shell_.opened, QStringList({QStringLiteral("http://www.orvak.com.tr"),
                                             QStringLiteral("mailto:ali@orvak.com.tr")}));
        QCOMPARE(dialled, QStringList({QStringLiteral("0532 123 45 67")}));
        QVERIFY(!ed().isEditing());
    }

    // A record file from elsewhere cannot make "Çevir" open a local file or
    // run anything: such an entry is refused with a message, and stays.
    void unsafeWebAndMailEntriesAreRefused() {
        TForm_Main& w =
            open({QStringLiteral("0 ID 1"), QStringLiteral("1 NAME A"), QStringLiteral("1 PHON"),
                  QStringLiteral("2 CONT Web\tfile:///etc/passwd"),
                  QStringLiteral("2 CONT Mail\tjavascript:alert(1)@x"),
                  QStringLiteral("2 CONT Web\t/usr/bin/xterm"), QStringLiteral("0 TRLR")});
        for (int row = 0; row < 3; ++row) {
            e().ListBox_Tel->setCurrentRow(row);
            e().SB_TelCevir->click();
        }
        QVERIFY(shell_.opened.isEmpty());
        QCOMPARE(prompts_->messages().size(), 3);
        QVERIFY(prompts_->messages().first().contains(QStringLiteral("yalnızca http ve https")));
        QCOMPARE(w.document().persons().personAt(0)->Contacts.first(),
                 QStringLiteral("Web\tfile:///etc/passwd"));
    }

    void quittingDuringAnEdit() {
        TForm_Main& w = open(fivePersons());
        ed().SB_DuzeltClick();
        prompts_->answer(PromptButton::Cancel);
        QCloseEvent refused;
        QCoreApplication::sendEvent(&w, &refused);
        QVERIFY(!refused.isAccepted());
        prompts_->answer(PromptButton::Yes);
        QCloseEvent accepted;
        QCoreApplication::sendEvent(&w, &accepted);
        QVERIFY(accepted.isAccepted());
        QVERIFY(!SettingsStore().pageSetup().width); // nothing written
    }
};

QTEST_MAIN(TestPersonEditing)
#include "test_person_editing.moc"
