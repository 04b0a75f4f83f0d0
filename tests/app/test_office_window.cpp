// The office dialogs driven by real keys and clicks, and the status bar's
// word about today's birthdays.
#include "ShortcutClashes.h"
#include "WindowFixture.h"
#include "app/OfficeCommands.h"
#include "app/TForm_Main.h"
#include "interchange/TableImportDialog.h"
#include "person/Birthdays.h"
#include "person/BirthdaysDialog.h"
#include "store/BirthDate.h"
#include "platform/qt/ElidedLabel.h"
#include "print/PrintChoiceDialog.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QRandomGenerator>
#include <QTableWidget>
#include <QTreeWidget>
#include <QtTest>

namespace {

void showActive(QWidget& w) {
    w.show();
    w.activateWindow();
    if (!QTest::qWaitForWindowActive(&w))
        qWarning("window not active");
}

// A key as the focused widget receives it, so shortcuts resolve as for
// the user.
void press(int key, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* target = QApplication::focusWidget();
    QVERIFY(target);
    QTest::keyClick(target, Qt::Key(key), modifiers);
}

void clickCell(QTableWidget& table, int row, int column) {
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {},
                      table.visualItemRect(table.item(row, column)).center());
}

} // namespace

class TestOfficeWindow : public QObject {
    Q_OBJECT
    WindowFixture fx_;

private Q_SLOTS:
    void initTestCase() { useTurkishLocale(); }
    void init() { fx_.reset(); }

    void tableDialogTakesTheFieldChosen() {
        const Table table = decodeTable(QByteArray("Ad;Telefon;Not\r\nali;0532;x\r\n;;\r\n"));
        TableImportDialog d(table, guessMapping(table.header), QStringLiteral("t.csv"), 7,
                            *fx_.clock);
        showActive(d);
        QVERIFY2(shortcutClashes(&d).isEmpty(), qPrintable(shortcutClashes(&d).join(u'|')));
        QCOMPARE(d.Table_Sutunlar->item(1, 2)->text(), QStringLiteral("Telefon: Ev"));
        clickCell(*d.Table_Sutunlar, 1, 0);
        QCOMPARE(d.ComboBox_Alan->currentText(), QStringLiteral("Telefon: Ev"));
        press(Qt::Key_A, Qt::AltModifier);
        QCOMPARE(QApplication::focusWidget(), d.ComboBox_Alan);
        press(Qt::Key_Down);
        press(Qt::Key_Down);
        QCOMPARE(d.mapping()[1].field, TableField::Gsm);
        QCOMPARE(d.Table_Sutunlar->item(1, 2)->text(), QStringLiteral("Telefon: GSM"));
        QCOMPARE(d.Table_Onizleme->item(0, 0)->text(), QStringLiteral("7"));
        QCOMPARE(d.Table_Onizleme->item(0, 1)->text(), QStringLiteral("ALİ"));
        QCOMPARE(d.Table_Onizleme->item(0, 4)->text(), QStringLiteral("GSM: 0532"));
        QCOMPARE(d.Label_Sayi->text(),
                 QStringLiteral("İlk 2 satırdan 1 kişi yapılır; aktarılacak bilgisi olmayan 1 "
                                "satır atlanır."));
        // With every column left out there is nothing to import.
        for (int row = 0; row < 3; ++row) {
            clickCell(*d.Table_Sutunlar, row, 0);
            d.ComboBox_Alan->setFocus();
            press(Qt::Key_Home);
        }
        QVERIFY(!d.Button_Aktar->isEnabled());
        QCOMPARE(d.Table_Onizleme->rowCount(), 0);
        clickCell(*d.Table_Sutunlar, 0, 0);
        d.ComboBox_Alan->setFocus();
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        QCOMPARE(d.result(), int(QDialog::Accepted));
        QCOMPARE(d.mapping()[0].field, TableField::FirstName);
    }

    void printChoiceFollowsTheStyle() {
        PrintChoiceDialog d(QStringLiteral("Yazdır"), 12, QStringLiteral("ALİ KAYA"));
        showActive(d);
        QVERIFY2(shortcutClashes(&d).isEmpty(), qPrintable(shortcutClashes(&d).join(u'|')));
        QVERIFY(d.Radio_Liste->isChecked() && !d.ComboBox_Adres->isEnabled() &&
                !d.ComboBox_Donem->isEnabled());
        press(Qt::Key_B, Qt::AltModifier);
        press(Qt::Key_Down);
        press(Qt::Key_Down);
        QVERIFY(d.ComboBox_Adres->isEnabled() && !d.ComboBox_Donem->isEnabled());
        press(Qt::Key_A, Qt::AltModifier);
        press(Qt::Key_Down);
        QCOMPARE(d.options().style, PrintStyle::Labels);
        QCOMPARE(d.options().address, LabelAddress::Work);
        press(Qt::Key_B, Qt::AltModifier);
        press(Qt::Key_Down);
        press(Qt::Key_D, Qt::AltModifier);
        press(Qt::Key_End);
        QCOMPARE(d.options().style, PrintStyle::Birthdays);
        QCOMPARE(d.options().month, 12);
        // The card takes no style.
        press(Qt::Key_K, Qt::AltModifier);
        QTRY_VERIFY(d.cardChosen());
        QVERIFY(!d.ComboBox_Bicim->isEnabled() && !d.ComboBox_Donem->isEnabled());
        press(Qt::Key_Return);
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }

    // The quick calendar arithmetic against QDate: random birth dates and
    // windows, 29 February and the turn of a year among them.
    void birthdaysAgreeWithTheCalendar() {
        QRandomGenerator random(20261211);
        std::vector<PersonRecord> people(3000);
        std::vector<const PersonRecord*> all;
        for (size_t i = 0; i < people.size(); ++i) {
            const QDate born = i % 10 == 0 ? QDate(1896 + 4 * int(i % 30), 2, 29)
                                            : QDate(1800, 1, 1).addDays(random.bounded(90000));
            people[i].BirthDate = birthdate::fromDate(born);
            all.push_back(&people[i]);
        }
        for (int round = 0; round < 40; ++round) {
            const QDate first =
                round == 0 ? QDate(2027, 2, 28) : QDate(2020, 1, 1).addDays(random.bounded(3000));
            const QDate last = first.addDays(round % 2 ? 0 : 30);
            int expected = 0;
            for (const PersonRecord* p : all) {
                const QDate born = birthdate::toDate(p->BirthDate);
                for (int y = first.year(); y <= last.year(); ++y) {
                    const QDate day = birthdayIn(born, y);
                    expected += day >= first && day <= last && y > born.year();
                }
            }
            const std::vector<Birthday> found = birthdaysBetween(all, first, last);
            QCOMPARE(int(found.size()), expected);
            for (const Birthday& b : found) {
                const QDate born = birthdate::toDate(b.person->BirthDate);
                QCOMPARE(b.date, birthdayIn(born, b.date.year()));
                QCOMPARE(b.age, b.date.year() - born.year());
            }
        }
    }

    void birthdaysDialogShowsThePersonChosen() {
        PersonRecord ali, ayse;
        ali.FirstName = QStringLiteral("ALİ");
        ayse.FirstName = QStringLiteral("AYŞE");
        const QDate today(2026, 12, 8);
        BirthdaysDialog d({{&ali, today, 46}, {&ayse, today.addDays(2), 30}}, today);
        const PersonRecord* shown = nullptr;
        d.setShowPerson([&shown](const PersonRecord* p) { shown = p; });
        showActive(d);
        QCOMPARE(d.List_DogumGunleri->topLevelItem(0)->text(0), QStringLiteral("Bugün"));
        QCOMPARE(d.List_DogumGunleri->topLevelItem(1)->text(0),
                 QStringLiteral("10 Aralık Perşembe"));
        d.List_DogumGunleri->setFocus();
        press(Qt::Key_Down);
        press(Qt::Key_Return);
        QCOMPARE(shown, &ayse);
        QCOMPARE(d.result(), int(QDialog::Accepted));
    }

    // The word is there when a file is opened on someone's birthday, and
    // goes with the file.
    void statusBarNamesTodaysBirthdays() {
        fx_.startWith(QStringLiteral("d.qdb"),
                      {QStringLiteral("1 GRUP A"), QStringLiteral("2 GRUP A"),
                       QStringLiteral("0 ID 1"), QStringLiteral("1 NAME ALİ"),
                       QStringLiteral("1 SURN KAYA"), QStringLiteral("1 BIRT"),
                       QStringLiteral("2 DATE 08 12 1980"), QStringLiteral("1 GRUP A"),
                       QStringLiteral("0 ID 2"), QStringLiteral("1 NAME VELİ"),
                       QStringLiteral("1 BIRT"), QStringLiteral("2 DATE 09 12 1980"),
                       QStringLiteral("1 GRUP A"), QStringLiteral("0 TRLR")});
        TForm_Main w(fx_.services());
        showActive(w);
        w.openStartupFile();
        ElidedLabel* note = w.office().Label_DogumGunu;
        QVERIFY(note->isVisible());
        QCOMPARE(note->text(), QStringLiteral("Bugün doğum günü: ALİ KAYA (46)"));
        QVERIFY(fx_.prompts->shown().isEmpty());
        w.Button_YeniClick();
        QVERIFY(note->isHidden());
    }
};

QTEST_MAIN(TestOfficeWindow)
#include "test_office_window.moc"
