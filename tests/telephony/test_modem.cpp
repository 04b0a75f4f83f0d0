#include "FakeSerialDevice.h"
#include "PtyModem.h"
#include "TelephonyTestSupport.h"
#include "telephony/modem/TZvModem.h"
#include "telephony/serial/TZvComm.h"

using namespace Qt::StringLiterals;

namespace {

// Logs every event of the modem by name.
void recordEvents(TZvModem& modem, QStringList& log) {
    modem.OnOK = [&log] { log.append(QStringLiteral("OK")); };
    modem.OnBusy = [&log] { log.append(QStringLiteral("BUSY")); };
    modem.OnVoice = [&log] { log.append(QStringLiteral("VOICE")); };
    modem.OnNoCarrier = [&log] { log.append(QStringLiteral("NO CARRIER")); };
    modem.OnNoDialTone = [&log] { log.append(QStringLiteral("NO DIALTONE")); };
    modem.OnError = [&log] { log.append(QStringLiteral("ERROR")); };
    modem.OnConnect = [&log](const QString& s) { log.append(QStringLiteral("CONNECT:") + s); };
    modem.OnRingDetect = [&log](int rings, bool&) {
        log.append(QStringLiteral("RING %1").arg(rings));
    };
    modem.OnCommandTimeout = [&log] { log.append(QStringLiteral("command timeout")); };
    modem.OnDialTimeout = [&log] { log.append(QStringLiteral("dial timeout")); };
    modem.OnRingWaitTimeout = [&log] { log.append(QStringLiteral("ring wait timeout")); };
}

void feed(TZvModem& modem, const QByteArray& bytes) { modem.HandleData(bytes.constData(), int(bytes.size())); }

QStringList withConfig(const QString& key, const QString& value) {
    QStringList config = TZvModem::DefaultConfig();
    for (QString& line : config)
        if (line.startsWith(key + QLatin1Char('=')))
            line = key + QLatin1Char('=') + value;
    return config;
}

struct PortAndModem {
    PtyModem far;
    TZvComm comm;
    TZvModem modem;
    PortAndModem() {
        comm.SetDeviceName(far.path());
        modem.SetComm(&comm);
        comm.Open();
    }
};

} // namespace

class TestModem : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void replies_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("config");
        QTest::addColumn<QStringList>("events");
        const QStringList defaults = TZvModem::DefaultConfig();
        QTest::newRow("CR LF OK CR LF is one OK") << QByteArray("\r\nOK\r\n") << defaults
                                                  << QStringList{u"OK"_s};
        QTest::newRow("echo ignored") << QByteArray("ATZE1M1\r\r\nOK\r\n") << defaults
                                      << QStringList{u"OK"_s};
        QTest::newRow("connect line whole")
            << QByteArray("\r\nCONNECT 9600\r\n") << defaults << QStringList{u"CONNECT:CONNECT 9600"_s};
        QTest::newRow("lower-case ok") << QByteArray("\r\nok\r\n") << defaults << QStringList();
        QTest::newRow("each reply")
            << QByteArray("\r\nBUSY\r\n\r\nVOICE\r\n\r\nNO CARRIER\r\n\r\nNO DIALTONE\r\n"
                          "\r\nERROR\r\n")
            << defaults << QStringList{u"BUSY"_s, u"VOICE"_s, u"NO CARRIER"_s, u"NO DIALTONE"_s, u"ERROR"_s};
        QTest::newRow("reply needs its terminator") << QByteArray("\r\nOK") << defaults
                                                    << QStringList();
        QTest::newRow("empty RCONNECT takes any line")
            << QByteArray("\r\nHELLO\r\n\r\nOK\r\n") << withConfig(QStringLiteral("RCONNECT"), QString())
            << QStringList{u"CONNECT:HELLO"_s, u"OK"_s};
        QTest::newRow("zero byte is a space")
            << QByteArray("\r\nCONNECT\0" "9600\r\n", 16) << defaults
            << QStringList{u"CONNECT:CONNECT 9600"_s};
        QTest::newRow("empty RTERM ends lines at zero")
            << QByteArray("OK\0\r\nBUSY\0", 10) << withConfig(QStringLiteral("RTERM"), QString())
            << QStringList{u"OK"_s, u"BUSY"_s};
        QTest::newRow("other terminator")
            << QByteArray("OK\nBUSY\n") << withConfig(QStringLiteral("RTERM"), QStringLiteral("^J"))
            << QStringList{u"OK"_s, u"BUSY"_s};
        QTest::newRow("changed reply") << QByteArray("\r\nOK\r\n\r\nTAMAM\r\n")
                                       << withConfig(QStringLiteral("ROK"), QStringLiteral("TAMAM"))
                                       << QStringList{u"OK"_s};
        QTest::newRow("RING ignored by rdLine") << QByteArray("\r\nRING\r\n") << defaults
                                                << QStringList();
    }
    void replies() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, config);
        QFETCH(QStringList, events);
        TZvModem modem;
        modem.SetConfig(config);
        QStringList log;
        recordEvents(modem, log);
        feed(modem, bytes);
        QCOMPARE(log, events);
    }

    void decodeControlNotation_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("decoded");
        QTest::newRow("caret M") << u"ATZ^M"_s << u"ATZ\r"_s;
        QTest::newRow("lower case") << u"a^j"_s << u"a\n"_s;
        QTest::newRow("caret digit kept") << u"^1"_s << u"^1"_s;
        QTest::newRow("two carets drop the rest") << u"A^^M"_s << u"A"_s;
        QTest::newRow("caret at end") << u"AT^"_s << u"AT"_s;
        QTest::newRow("tilde is a byte") << u"+++~~~ATH0^M"_s << u"+++~~~ATH0\r"_s;
        // Only ASCII letters make control characters: a Turkish letter
        // upper-cases into one, yet stays a letter.
        QTest::newRow("dotless i") << u"9^ı"_s << u"9^ı"_s;
        QTest::newRow("dotted capital I") << u"^İ"_s << u"^İ"_s;
        QTest::newRow("ş") << u"^ş"_s << u"^ş"_s;
    }
    void decodeControlNotation() {
        QFETCH(QString, text);
        QFETCH(QString, decoded);
        QCOMPARE(TZvModem::DecodeControlNotation(text), decoded);
    }

    void configValues() {
        TZvModem modem;
        modem.SetConfig({QStringLiteral("DIALCMD= ATDP \t"), QStringLiteral("dialcmd=ATDT"),
                         QStringLiteral("NOVALUE"), QStringLiteral("INITCMD"),
                         QStringLiteral("INITCMD=ATZ^M")});
        QCOMPARE(modem.GetConfigValue(QStringLiteral("DialCmd")), QStringLiteral("ATDP"));
        QCOMPARE(modem.GetConfigValue(QStringLiteral("NOVALUE")), QString());
        QCOMPARE(modem.GetConfigValue(QStringLiteral("RBUSY")), QString());
        // A line without "=" names no key and hides none.
        QCOMPARE(modem.GetConfigValue(QStringLiteral("INITCMD")), QStringLiteral("ATZ^M"));
    }

    void writeWithoutPort_data() {
        QTest::addColumn<bool>("attached");
        QTest::newRow("no port") << false;
        QTest::newRow("port closed") << true;
    }
    void writeWithoutPort() {
        QFETCH(bool, attached);
        TZvComm comm;
        TZvModem modem;
        if (attached)
            modem.SetComm(&comm);
        const QString error = QStringLiteral("TZvModem: error writing to comm.");
        QCOMPARE(errorOf([&] { modem.Initialize(); }), error);
        QCOMPARE(modem.State(), quint8(msInitializing));
        // Not busy: the next operation fails the same way, not as busy.
        QCOMPARE(errorOf([&] { modem.Dial(QStringLiteral("1")); }), error);
        QCOMPARE(modem.State(), quint8(msDialing));
    }

    // Busy refuses a second operation; the OK handler runs after the
    // operation ended, so dialling there works.
    void dialFromOkHandler() {
        PortAndModem p;
        p.far.answer("ATZ", "OK");
        p.far.answer("ATDT", "CONNECT 9600");
        QStringList log;
        recordEvents(p.modem, log);
        p.modem.OnOK = [&] {
            log.append(QStringLiteral("OK in state %1").arg(p.modem.State()));
            p.modem.Dial(QStringLiteral("0532 123 45 67"));
        };
        p.modem.Initialize();
        QCOMPARE(errorOf([&] { p.modem.Dial(QStringLiteral("1")); }),
                 QStringLiteral("Waiting for previous operation to complete."));
        QCOMPARE(p.modem.State(), quint8(msInitializing));
        QTRY_COMPARE(log, (QStringList{u"OK in state 1"_s, u"CONNECT:CONNECT 9600"_s}));
        QCOMPARE(p.far.received(), QByteArray("ATZE1M1\rATDT0532 123 45 67\r"));
        QCOMPARE(p.modem.State(), quint8(msDialing));
    }

    void commandTimeout() {
        PortAndModem p;
        p.far.setEcho(false);
        QStringList log;
        recordEvents(p.modem, log);
        p.modem.SetCommandTimeout(100);
        p.modem.Initialize();
        QTRY_COMPARE(log, QStringList{u"command timeout"_s});
        QCOMPARE(p.modem.State(), quint8(msInitializing));
        // Over: a new operation is accepted, and a late reply still counts.
        p.modem.Initialize();
        p.modem.Cancel();
        QCOMPARE(p.modem.State(), quint8(msIdle));
        p.modem.Initialize();
        p.far.send("\r\nOK\r\n");
        QTRY_COMPARE(log, (QStringList{u"command timeout"_s, u"OK"_s}));
    }

    void dialWithoutTimeLimit() {
        PortAndModem p;
        QStringList log;
        recordEvents(p.modem, log);
        p.modem.SetDialTimeout(0);
        p.modem.Dial(QStringLiteral("5"));
        QTest::qWait(200);
        QCOMPARE(log, QStringList());
        QCOMPARE(errorOf([&] { p.modem.Answer(); }),
                 QStringLiteral("Waiting for previous operation to complete."));
        // A RING during the dial ends the wait too.
        QByteArray seen;
        p.comm.OnRxBuf = [&](const char* data, int n) { seen.append(data, n); };
        p.far.send("\r\nRING\r\n");
        QTRY_VERIFY(seen.endsWith("RING\r\n"));
        QCOMPARE(errorOf([&] { p.modem.Dial(QStringLiteral("5")); }), QString());
    }

    void ringsCountedFromReplies() {
        TZvModem modem;
        modem.SetRingDetect(rdMsg);
        modem.SetRingWaitTimeout(300);
        QStringList log;
        recordEvents(modem, log);
        feed(modem, "\r\nRING\r\n\r\nRING\r\n\r\nRING\r\n");
        QCOMPARE(log, (QStringList{u"RING 1"_s, u"RING 2"_s, u"RING 3"_s}));
        QTRY_COMPARE(log.size(), 4);
        QCOMPARE(log.last(), QStringLiteral("ring wait timeout"));
        feed(modem, "\r\nRING\r\n");
        QCOMPARE(log.last(), QStringLiteral("RING 1"));
    }

    void ringDetectModes_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QStringList>("events");
        QTest::newRow("line") << int(rdLine) << QStringList{u"RING 1"_s};
        QTest::newRow("message") << int(rdMsg) << QStringList{u"RING 1"_s};
        QTest::newRow("none") << int(rdNone) << QStringList();
    }
    void ringDetectModes() {
        QFETCH(int, mode);
        QFETCH(QStringList, events);
        auto device = std::make_unique<FakeSerialDevice>();
        FakeSerialDevice* fake = device.get();
        TZvComm comm(std::move(device));
        comm.SetMonitorEvents(ceRing | ceRxChar);
        TZvModem modem;
        modem.SetComm(&comm);
        modem.SetRingDetect(TZvRingDetect(mode));
        QStringList log;
        recordEvents(modem, log);
        comm.Open();
        // One ring of each kind: only the chosen one counts.
        fake->raise(ceRing);
        fake->receive("\r\nRING\r\n");
        QTest::qWait(100);
        QTRY_COMPARE(log, events);
    }

    void acceptedRingAnswers() {
        auto device = std::make_unique<FakeSerialDevice>();
        FakeSerialDevice* fake = device.get();
        TZvComm comm(std::move(device));
        comm.Open();
        TZvModem modem;
        modem.SetComm(&comm);
        modem.SetRingDetect(rdMsg);
        modem.OnRingDetect = [](int rings, bool& accept) { accept = rings == 2; };
        feed(modem, "\r\nRING\r\n");
        QCOMPARE(modem.State(), quint8(msIdle));
        feed(modem, "\r\nRING\r\n");
        QCOMPARE(modem.State(), quint8(msAnswering));
        QTRY_COMPARE(fake->written(), QByteArray("ATA\r"));
    }

    void inactiveModemHearsNothing() {
        PortAndModem p;
        QStringList log;
        recordEvents(p.modem, log);
        p.modem.SetActive(false);
        int unclaimed = 0;
        p.comm.OnRxBuf = [&](const char*, int n) { unclaimed += n; };
        p.far.send("\r\nOK\r\n");
        QTRY_COMPARE(unclaimed, 6);
        QCOMPARE(log, QStringList());
    }
};

QTEST_GUILESS_MAIN(TestModem)
#include "test_modem.moc"
