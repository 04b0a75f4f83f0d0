#include "FakeSerialDevice.h"
#include "PtyModem.h"
#include "TelephonyTestSupport.h"
#include "telephony/DialCommand.h"
#include "telephony/DialSession.h"

#include <QSignalSpy>
#include <QThread>

#include <cstdio>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QString kNumber = QStringLiteral("0532 123 45 67");

const QStringList kClosed = {QStringLiteral("Modem and/or Com Port Closed."), QString()};

struct Dialling {
    PtyModem far;
    DialSession session;
    QStringList lines;
    Dialling() {
        session.setDevicePath(far.path());
        session.setNumber(kNumber);
        QObject::connect(&session, &DialSession::progressLine, &session,
                         [this](const QString& line) { lines.append(line); });
    }
};

// Runs f with stdout going to a file; returns what was printed.
QByteArray capturedStdout(const std::function<void()>& f) {
    QTemporaryFile file;
    file.open();
    std::fflush(stdout);
    const int saved = ::dup(STDOUT_FILENO);
    ::dup2(file.handle(), STDOUT_FILENO);
    f();
    std::fflush(stdout);
    ::dup2(saved, STDOUT_FILENO);
    ::close(saved);
    file.seek(0);
    return file.readAll();
}

} // namespace

class TestDial : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> settingsDir_;

private Q_SLOTS:
    void initTestCase() { settingsDir_ = isolateSettings(); }

    void endingReplies_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("line");
        QTest::newRow("busy") << QByteArray("BUSY") << u"Line is busy."_s;
        QTest::newRow("no carrier") << QByteArray("NO CARRIER") << u"No Carrier."_s;
        QTest::newRow("no dialtone") << QByteArray("NO DIALTONE") << u"No dialtone"_s;
        QTest::newRow("error") << QByteArray("ERROR") << u"Error in dial string."_s;
    }
    void endingReplies() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, line);
        Dialling d;
        d.far.answer("ATZ", "OK");
        d.far.answer("ATDT", reply);
        QSignalSpy working(&d.session, &DialSession::workingChanged);
        d.session.dial();
        QVERIFY(d.session.isWorking());
        QTRY_VERIFY(!d.session.isWorking());
        QCOMPARE(d.lines, QStringList({u"Modem initialized."_s, u"Dialing "_s + kNumber + u"."_s, line}) +
                              kClosed);
        QCOMPARE(d.far.received(), "ATZE1M1\rATDT" + kNumber.toLatin1() + "\r");
        QVERIFY(!d.session.comm().IsOpen());
        QCOMPARE(d.session.modem().State(), quint8(msIdle));
        QCOMPARE(working.size(), 2);
    }

    // VOICE and CONNECT only report; the call lasts until stop().
    void callGoesOn_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("line");
        QTest::newRow("connect") << QByteArray("CONNECT 9600") << u"Connect: CONNECT 9600"_s;
        QTest::newRow("voice") << QByteArray("VOICE") << u"Voice line"_s;
    }
    void callGoesOn() {
        QFETCH(QByteArray, reply);
        QFETCH(QString, line);
        Dialling d;
        d.far.answer("ATZ", "OK");
        d.far.answer("ATDT", reply);
        d.session.dial();
        QTRY_COMPARE(d.lines.size(), 3);
        QCOMPARE(d.lines.last(), line);
        // An OK or a RING while dialling changes nothing.
        d.far.send("\r\nOK\r\n\r\nRING\r\n");
        QTest::qWait(100);
        QCOMPARE(d.lines.size(), 3);
        QVERIFY(d.session.isWorking());
        d.session.stop();
        QCOMPARE(d.lines.mid(3), kClosed);
        QVERIFY(!d.session.isWorking());
    }

    void initialisationFails_data() {
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("error") << QByteArray("ERROR");
        QTest::newRow("no answer") << QByteArray();
    }
    void initialisationFails() {
        QFETCH(QByteArray, reply);
        Dialling d;
        if (!reply.isEmpty())
            d.far.answer("ATZ", reply);
        d.session.modem().SetCommandTimeout(200);
        d.session.dial();
        QTRY_VERIFY(!d.session.isWorking());
        QCOMPARE(d.lines, QStringList{u"Error initializing modem."_s} + kClosed);
        // Again in the same session.
        d.far.answer("ATZ", "OK");
        d.far.answer("ATDT", "BUSY");
        d.lines.clear();
        d.session.dial();
        QTRY_VERIFY(!d.session.isWorking());
        QCOMPARE(d.lines.size(), 5);
    }

    // A BUSY already waiting when "Kapat" is pressed is handed over while
    // the port closes; the stop sequence still runs once.
    void replyWaitingAtKapatStopsOnce() {
        Dialling d;
        d.far.answer("ATZ", "OK");
        d.session.dial();
        QTRY_VERIFY(d.far.received().contains("ATDT"));
        d.far.send("\r\nBUSY\r\n");
        QThread::msleep(200); // the BUSY now waits for the UI thread
        d.session.stop();
        QCOMPARE(d.lines.count(u"Modem and/or Com Port Closed."_s), 1);
        QVERIFY(!d.lines.contains(u"Modem was Closed."_s));
        QTest::qWait(100);
        QCOMPARE(d.lines.count(u"Modem and/or Com Port Closed."_s), 1);
        QVERIFY(!d.session.isWorking());
    }

    void stopWhileIdle() {
        Dialling d;
        d.session.stop();
        QCOMPARE(d.lines, QStringList({u"Modem was Closed."_s, u"Comm Port was Closed."_s}) + kClosed);
    }

    void portMissing() {
        Dialling d;
        d.session.setDevicePath(QStringLiteral("/nonexistent/modem"));
        QCOMPARE(errorOf([&] { d.session.dial(); }),
                 QStringLiteral("Specified device not found (/nonexistent/modem)."));
        QVERIFY(!d.session.isWorking());
        QCOMPARE(d.lines, QStringList());
    }

    // The modem cannot take the initialisation: the port closes again, so
    // the next "Çevir" is not refused as "port is open".
    void failedInitializeClosesPort() {
        auto device = std::make_unique<FakeSerialDevice>();
        FakeSerialDevice* fake = device.get();
        DialSession session(std::move(device));
        session.comm().Buffers().SetWriteSize(4);
        session.comm().Buffers().SetWriteTimeout(100);
        fake->holdWrites(true);
        QCOMPARE(errorOf([&] { session.dial(); }),
                 QStringLiteral("Output buffer is full. Please check comm status."));
        QVERIFY(!session.comm().IsOpen());
        QVERIFY(!session.isWorking());
        QCOMPARE(session.modem().State(), quint8(msIdle));
        fake->holdWrites(false);
        session.dial();
        QVERIFY(session.isWorking());
        QTRY_COMPARE(fake->written(), QByteArray("ATZE1M1\r"));
    }

    void lineSettings() {
        auto device = std::make_unique<FakeSerialDevice>();
        FakeSerialDevice* fake = device.get();
        DialSession session(std::move(device));
        QCOMPARE(session.portNum(), 2);
        QCOMPARE(session.comm().DevicePath(), QStringLiteral("/dev/ttyS1"));
        session.dial();
        const ZvLineSettings s = fake->settings();
        QCOMPARE(s.baudrate, 115200);
        QCOMPARE(s.databits, 8);
        QCOMPARE(s.parity, paNone);
        QCOMPARE(s.stopbits, sb1);
        QVERIFY(s.outCtsFlow && s.outDsrFlow && s.dsrSensitivity);
        QCOMPARE(s.controlDtr, dtrHandshake);
        QCOMPARE(s.controlRts, rtsHandshake);
        QVERIFY(!s.xonXoffOut && !s.xonXoffIn && !s.txContinueOnXoff);
        QCOMPARE(session.modem().DialTimeout(), 0);
        QCOMPARE(session.modem().RingDetect(), rdNone);
        QCOMPARE(session.modem().Config(), TZvModem::DefaultConfig());
    }

    void commandPrintsLines() {
        PtyModem far;
        far.answer("ATZ", "OK");
        far.answer("ATDT", "NO CARRIER");
        int code = -1;
        const QByteArray out = capturedStdout([&] {
            code = runDialCommand({QStringLiteral("--device"), far.path(),
                                   QStringLiteral("--timeout"), QStringLiteral("20"),
                                   QStringLiteral("123")});
        });
        QCOMPARE(code, 0);
        QCOMPARE(out, QByteArray("Modem initialized.\nDialing 123.\nNo Carrier.\n"
                                 "Modem and/or Com Port Closed.\n\n"));
    }

    void commandStopsAtTimeout() {
        PtyModem far;
        far.answer("ATZ", "OK");
        far.answer("ATDT", "CONNECT 2400");
        const QByteArray out = capturedStdout([&] {
            runDialCommand({QStringLiteral("--device"), far.path(), QStringLiteral("--timeout"),
                            QStringLiteral("1"), QStringLiteral("9")});
        });
        QCOMPARE(out, QByteArray("Modem initialized.\nDialing 9.\nConnect: CONNECT 2400\n"
                                 "Modem and/or Com Port Closed.\n\n"));
    }

    void commandErrors_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("code");
        QTest::newRow("no number") << QStringList{u"--port"_s, u"2"_s} << 2;
        QTest::newRow("port and device") << QStringList{u"--port"_s, u"2"_s, u"--device"_s, u"/x"_s, u"1"_s} << 2;
        QTest::newRow("bad timeout") << QStringList{u"--timeout"_s, u"0"_s, u"1"_s} << 2;
        QTest::newRow("two numbers") << QStringList{u"1"_s, u"2"_s} << 2;
        QTest::newRow("device missing") << QStringList{u"--device"_s, u"/nonexistent/m"_s, u"1"_s} << 1;
        QTest::newRow("port without device") << QStringList{u"--port"_s, u"97"_s, u"1"_s} << 1;
    }
    void commandErrors() {
        QFETCH(QStringList, args);
        QFETCH(int, code);
        int result = -1;
        const QByteArray out = capturedStdout([&] { result = runDialCommand(args); });
        QCOMPARE(result, code);
        QCOMPARE(out, QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestDial)
#include "test_dial.moc"
