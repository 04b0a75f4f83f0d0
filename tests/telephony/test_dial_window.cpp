#include "PtyModem.h"
#include "platform/Errors.h"
#include "platform/SettingsStore.h"
#include "telephony/DialWindow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QtTest>

class TestDialWindow : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

    void store(std::optional<int> comPort, std::optional<bool> quick) {
        SettingsStore::PageSetup p;
        p.comPort = comPort;
        p.quickDial = quick;
        SettingsStore().writePageSetup(p);
    }

private Q_SLOTS:
    void init() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope,
                           dir_.filePath(QString::number(QDateTime::currentMSecsSinceEpoch())));
    }

    // The number sent is the field's text when the modem is ready, and the
    // line shown says the same.
    void numberIsReadWhenTheModemIsReady() {
        PtyModem far;
        far.answer("ATDT", "CONNECT 9600");
        QSettings(QStringLiteral("Orvak"), QStringLiteral("Zilvaren"))
            .setValue(QStringLiteral("Ports/COM2"), far.path());
        store(1, false);
        SettingsStore settings;
        TForm_Telefon w(settings);
        w.show();
        w.Edit_TelNo->setText(QStringLiteral("123"));
        QTest::mouseClick(w.Button_Dial, Qt::LeftButton);
        QVERIFY(!w.Button_Dial->isEnabled());
        QTRY_VERIFY(far.received().contains("ATZ"));
        w.Edit_TelNo->selectAll();
        QTest::keyClicks(w.Edit_TelNo, QStringLiteral("456"));
        far.send("\r\nOK\r\n");
        QTRY_VERIFY(w.Memo1->toPlainText().contains(QStringLiteral("Connect:")));
        QVERIFY(w.Memo1->toPlainText().contains(QStringLiteral("Dialing 456.")));
        QVERIFY(far.received().contains("ATDT456\r"));
        QTest::mouseClick(w.Button_Kapat, Qt::LeftButton);
        QVERIFY(w.Button_Dial->isEnabled());
    }

    void portChoiceFromTheSettings() {
        store(3, true);
        SettingsStore settings;
        TForm_Telefon w(settings);
        QCOMPARE(w.ComboBox_Com->currentText(), QStringLiteral("COM 4"));
        QCOMPARE(w.session().portNum(), 4);
        QVERIFY(w.CheckBox_QuickDial->isChecked());
        w.ComboBox_Com->setCurrentIndex(0);
        QCOMPARE(w.session().portNum(), 1);
        SettingsStore::PageSetup out;
        w.addPageSetup(out);
        QCOMPARE(*out.comPort, 0);
        QCOMPARE(*out.quickDial, true);
    }

    void outOfRangePortMeansCom2() {
        store(9, std::nullopt);
        SettingsStore settings;
        TForm_Telefon w(settings);
        QCOMPARE(w.ComboBox_Com->currentText(), QStringLiteral("COM 2"));
        QCOMPARE(w.session().portNum(), 2);
    }

    void closingWhileIdle() {
        SettingsStore settings;
        TForm_Telefon w(settings);
        w.Button_KapatClick();
        QCOMPARE(w.Memo1->toPlainText(),
                 QStringLiteral("Modem was Closed.\nComm Port was Closed.\nModem and/or Com Port "
                                "Closed.\n"));
    }

    void absentDeviceIsReportedAndLeavesTheWindowIdle() {
        QSettings(QStringLiteral("Orvak"), QStringLiteral("Zilvaren"))
            .setValue(QStringLiteral("Ports/COM2"), dir_.filePath(QStringLiteral("no-such-tty")));
        SettingsStore settings;
        TForm_Telefon w(settings);
        w.Edit_TelNo->setText(QStringLiteral("0532 123 45 67"));
        try {
            w.Button_DialClick();
            QFAIL("no error");
        } catch (const ZilvarenError& e) {
            QVERIFY(e.message().startsWith(QStringLiteral("Specified device not found (")));
        }
        QVERIFY(w.Button_Dial->isEnabled());
        QVERIFY(w.ComboBox_Com->isEnabled());
        QVERIFY(!w.session().comm().IsOpen());
    }

    void openingFillsTheNumberAndClearsTheMemo() {
        SettingsStore settings;
        TForm_Telefon w(settings);
        w.Memo1->setPlainText(QStringLiteral("old"));
        QTimer::singleShot(50, &w, &QDialog::reject);
        w.openFor(QStringLiteral("0312 555 12 12"));
        QCOMPARE(w.Edit_TelNo->text(), QStringLiteral("0312 555 12 12"));
        QVERIFY(!w.Memo1->toPlainText().contains(QStringLiteral("old")));
    }
};

QTEST_MAIN(TestDialWindow)
#include "test_dial_window.moc"
