#include "FakeSerialDevice.h"
#include "PtyModem.h"
#include "TelephonyTestSupport.h"
#include "telephony/modem/TZvDispatcher.h"
#include "telephony/serial/TZvComm.h"
#include "telephony/serial/TermiosDevice.h"

#include <QSettings>

#include <cerrno>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

// Logs what the port hands to it.
class RecordingUser : public IZvCommUser {
public:
    RecordingUser(QStringList& log, QString name) : log_(log), name_(std::move(name)) {}
    void HandleData(const char* data, int count) override {
        log_.append(name_ + QStringLiteral(" data ") + QString::fromLatin1(data, count));
    }
    void HandleCommEvent(quint32 mask) override {
        log_.append(name_ + QStringLiteral(" events ") + QString::number(mask, 16));
    }

private:
    QStringList& log_;
    QString name_;
};

std::unique_ptr<TZvComm> portOn(const PtyModem& modem) {
    auto comm = std::make_unique<TZvComm>();
    comm->SetDeviceName(modem.path());
    return comm;
}

} // namespace

class TestSerial : public QObject {
    Q_OBJECT
    std::unique_ptr<QTemporaryDir> settingsDir_;

private Q_SLOTS:
    void initTestCase() { settingsDir_ = isolateSettings(); }

    void openFailures_data() {
        QTest::addColumn<QString>("deviceName");
        QTest::addColumn<int>("portNum");
        QTest::addColumn<QString>("message");
        QTest::newRow("absent path") << u"/nonexistent/ttyZ"_s << 0
                                     << u"Specified device not found (/nonexistent/ttyZ)."_s;
        QTest::newRow("COM without a stored device")
            << u"COM%d"_s << 97 << u"Specified device not found (/dev/ttyS96)."_s;
        QTest::newRow("not a terminal")
            << u"/dev/null"_s << 0
            << u"Can't open specified device /dev/null (Error 25, Inappropriate ioctl for device)"_s;
        QTest::newRow("a folder") << u"/tmp"_s << 0
                                  << u"Can't open specified device /tmp (Error 21, Is a directory)"_s;
    }
    void openFailures() {
        QFETCH(QString, deviceName);
        QFETCH(int, portNum);
        QFETCH(QString, message);
        TZvComm comm;
        comm.SetDeviceName(deviceName);
        comm.SetPortNum(portNum);
        QCOMPARE(errorOf([&] { comm.Open(); }), message);
        QVERIFY(!comm.IsOpen());
    }

    void comNameUsesStoredDevice() {
        PtyModem modem;
        QSettings(QStringLiteral("Orvak"), QStringLiteral("Zilvaren"))
            .setValue(QStringLiteral("Ports/COM5"), modem.path());
        TZvComm comm;
        comm.SetPortNum(5);
        QCOMPARE(comm.DevicePath(), modem.path());
        comm.Open();
        QVERIFY(comm.IsOpen());
    }

    // Each step of opening reports its own message and leaves the port
    // closed.
    void openStepFailures_data() {
        QTest::addColumn<int>("step");
        QTest::addColumn<QString>("message");
        QTest::newRow("line settings") << 0 << u"Error writing dcb (5), Input/output error"_s;
        QTest::newRow("queue sizes") << 1 << u"Error initializing buffers (5), Input/output error"_s;
        QTest::newRow("timeouts") << 2 << u"Error setting timeouts (5), Input/output error"_s;
        QTest::newRow("event mask") << 3 << u" Error setting EventMask (5), Input/output error"_s;
    }
    void openStepFailures() {
        QFETCH(int, step);
        QFETCH(QString, message);
        auto device = std::make_unique<FakeSerialDevice>();
        FakeSerialDevice::Failures f;
        (step == 0 ? f.configure : step == 1 ? f.queueSizes : step == 2 ? f.timeouts
                                                                        : f.eventMask) = EIO;
        device->setFailures(f);
        FakeSerialDevice* fake = device.get();
        TZvComm comm(std::move(device));
        bool opened = false;
        comm.OnOpen = [&] { opened = true; };
        QCOMPARE(errorOf([&] { comm.Open(); }), message);
        QVERIFY(!comm.IsOpen());
        QVERIFY(!fake->isOpen());
        QVERIFY(!opened);
    }

    void protectedSettingsWhileOpen() {
        PtyModem modem;
        auto comm = portOn(modem);
        comm->SetPortNum(3);
        comm->Open();
        const QString refused = QStringLiteral("Can't perform this operation while port is open");
        QCOMPARE(errorOf([&] { comm->Open(); }), refused);
        QCOMPARE(errorOf([&] { comm->SetPortNum(4); }), refused);
        QCOMPARE(errorOf([&] { comm->Buffers().SetWriteSize(10); }), refused);
        QCOMPARE(errorOf([&] { comm->SetMonitorEvents(ceRing); }), refused);
        QCOMPARE(comm->PortNum(), 3);
        QCOMPARE(comm->Buffers().WriteSize(), 2048);
        QVERIFY(comm->IsOpen());
        QCOMPARE(comm->Write("AT", 2), 2);
        QTRY_COMPARE(modem.received(), QByteArray("AT"));
    }

    void lineTermios_data() {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("databits");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("stopbits");
        QTest::addColumn<bool>("ctsFlow");
        QTest::addColumn<int>("error");
        QTest::addColumn<uint>("cflagSet");
        QTest::addColumn<uint>("cflagClear");
        const uint parityBits = PARENB | PARODD | CMSPAR;
        QTest::newRow("dial line 115200 8N1 hardware")
            << 115200 << 8 << int(paNone) << int(sb1) << true << 0 << uint(CS8 | CRTSCTS)
            << uint(parityBits | CSTOPB);
        QTest::newRow("7 even 2") << 9600 << 7 << int(paEven) << int(sb2) << false << 0
                                  << uint(CS7 | PARENB | CSTOPB) << uint(PARODD | CMSPAR | CRTSCTS);
        QTest::newRow("mark") << 1200 << 8 << int(paMark) << int(sb1) << false << 0
                              << uint(parityBits) << 0u;
        QTest::newRow("space") << 1200 << 8 << int(paSpace) << int(sb1) << false << 0
                               << uint(PARENB | CMSPAR) << uint(PARODD);
        QTest::newRow("odd") << 1200 << 5 << int(paOdd) << int(sb1) << false << 0
                             << uint(PARENB | PARODD) << uint(CMSPAR | CSIZE);
        QTest::newRow("no rate") << 0 << 8 << int(paNone) << int(sb1) << false << EINVAL << 0u
                                 << 0u;
        QTest::newRow("4 data bits") << 9600 << 4 << int(paNone) << int(sb1) << false << EINVAL
                                     << 0u << 0u;
        QTest::newRow("1.5 stop bits") << 9600 << 8 << int(paNone) << int(sb15) << false
                                       << EINVAL << 0u << 0u;
    }
    void lineTermios() {
        QFETCH(int, baud);
        QFETCH(int, databits);
        QFETCH(int, parity);
        QFETCH(int, stopbits);
        QFETCH(bool, ctsFlow);
        QFETCH(int, error);
        QFETCH(uint, cflagSet);
        QFETCH(uint, cflagClear);
        ZvLineSettings s;
        s.baudrate = baud;
        s.databits = databits;
        s.parity = TZvParity(parity);
        s.stopbits = TZvStopbits(stopbits);
        s.outCtsFlow = ctsFlow;
        s.xonChar = 17;
        s.xoffChar = 19;
        termios t;
        QCOMPARE(zvLineTermios(t, s), error);
        if (error)
            return;
        QCOMPARE(uint(t.c_cflag) & cflagSet, cflagSet);
        QCOMPARE(uint(t.c_cflag) & cflagClear, 0u);
        QVERIFY(t.c_cflag & CREAD);
        QVERIFY(t.c_cflag & CLOCAL);
        QCOMPARE(cfgetospeed(&t), speed_t(baud == 115200 ? B115200 : baud == 9600 ? B9600 : B1200));
        // Raw bytes both ways: a CR must not turn into a line feed.
        QCOMPARE(t.c_lflag & (ICANON | ECHO | ISIG), tcflag_t(0));
        QCOMPARE(t.c_iflag & (ICRNL | IXON | IXOFF), tcflag_t(0));
        QCOMPARE(t.c_oflag & OPOST, tcflag_t(0));
        QCOMPARE(t.c_cc[VSTART], cc_t(17));
    }

    // Every rate of the table opens, those without a B constant too.
    void everyRateOfTheTableOpens_data() {
        QTest::addColumn<int>("rate");
        QTest::addColumn<int>("value");
        const QList<QPair<TZvBaudrate, int>> rates = {
            {br110, 110},       {br300, 300},       {br1200, 1200},     {br9600, 9600},
            {br14400, 14400},   {br38400, 38400},   {br56000, 56000},   {br115200, 115200},
            {br128000, 128000}, {br256000, 256000}};
        for (const auto& [rate, value] : rates)
            QTest::newRow(qPrintable(QString::number(value))) << int(rate) << value;
    }
    void everyRateOfTheTableOpens() {
        QFETCH(int, rate);
        QFETCH(int, value);
        PtyModem modem;
        auto comm = portOn(modem);
        comm->SetBaudrate(TZvBaudrate(rate));
        QCOMPARE(errorOf([&] { comm->Open(); }), QString());
        QCOMPARE(zvOutputRate(modem.slaveFd()), value);
        // Changed while open as well.
        QCOMPARE(errorOf([&] { comm->SetBaudrate(br14400); }), QString());
        QCOMPARE(zvOutputRate(modem.slaveFd()), 14400);
    }

    // A second port on the same device is refused, whoever opens it (root
    // passes the exclusive-access flag).
    void secondOpenerIsRefused() {
        PtyModem modem;
        auto first = portOn(modem);
        first->Open();
        auto second = portOn(modem);
        QCOMPARE(errorOf([&] { second->Open(); }),
                 QStringLiteral("Specified device is already in use (%1).").arg(modem.path()));
        QVERIFY(!second->IsOpen());
        first->Close();
        QCOMPARE(errorOf([&] { second->Open(); }), QString());
    }

    // Closing hangs up before it lets go of the device.
    void closeHangsUpFirst() {
        auto device = std::make_unique<FakeSerialDevice>();
        FakeSerialDevice* fake = device.get();
        TZvComm comm(std::move(device));
        comm.Open();
        comm.Close();
        QCOMPARE(fake->closeSteps(), QStringList({QStringLiteral("lower lines"),
                                                  QStringLiteral("drain"), QStringLiteral("close")}));
    }

    // A setting the device refuses keeps the old value.
    void refusedBaudrateOnOpenPort() {
        PtyModem modem;
        auto comm = portOn(modem);
        comm->SetBaudrate(br115200);
        comm->Open();
        QCOMPARE(comm->Baudrate(), br115200);
        QCOMPARE(errorOf([&] { comm->FlowControl().SetOutCtsFlow(true); }), QString());
        QCOMPARE(errorOf([&] { comm->SetDatabits(db4); }),
                 QStringLiteral("Error writing dcb (22), Invalid argument"));
        QCOMPARE(comm->Databits(), db8);
    }

    void closeRestoresTerminalSettings() {
        PtyModem modem;
        auto comm = portOn(modem);
        comm->SetBaudrate(br115200);
        bool closed = false;
        comm->OnClose = [&] { closed = true; };
        comm->Open();
        termios t;
        tcgetattr(modem.slaveFd(), &t);
        QCOMPARE(cfgetospeed(&t), speed_t(B115200));
        comm->Close();
        QVERIFY(closed);
        tcgetattr(modem.slaveFd(), &t);
        QCOMPARE(cfgetospeed(&t), speed_t(B9600));
        closed = false;
        comm->Close();
        QVERIFY(!closed);
    }

    void writeBufferFull() {
        auto device = std::make_unique<FakeSerialDevice>();
        device->holdWrites(true);
        TZvComm comm(std::move(device));
        comm.Buffers().SetWriteSize(16);
        comm.Buffers().SetWriteTimeout(100);
        comm.Open();
        const QByteArray bytes(17, 'x');
        const QString full = QStringLiteral("Output buffer is full. Please check comm status.");
        QCOMPARE(errorOf([&] { comm.Write(bytes.constData(), 17); }), full);
        QCOMPARE(comm.Write(bytes.constData(), 16), 16);
        QCOMPARE(errorOf([&] { comm.WriteChar('y'); }), full);
    }

    void writeWhileClosed() {
        TZvComm comm;
        QVERIFY(!comm.WriteChar('A'));
        QCOMPARE(comm.Write("AT", 2), 0);
        char buffer[4];
        QCOMPARE(comm.Read(buffer, 4), 0);
        QCOMPARE(comm.InQueue(), 0);
    }

    void writeReportsOutputEmpty() {
        PtyModem modem;
        auto comm = portOn(modem);
        int empties = 0;
        comm->OnTxEmpty = [&] { ++empties; };
        comm->Open();
        QCOMPARE(comm->Write("ATZ\r", 4), 4);
        QTRY_COMPARE(modem.received(), QByteArray("ATZ\r"));
        QTRY_VERIFY(empties >= 1);
    }

    // Without a user the bytes stay in the device for the application.
    void bytesWithoutUsers() {
        PtyModem modem;
        auto comm = portOn(modem);
        QList<int> counts;
        comm->OnRxChar = [&](int count) { counts.append(count); };
        comm->Open();
        modem.send("abc");
        QTRY_COMPARE(counts, QList<int>{3});
        QCOMPARE(comm->InQueue(), 3);
        modem.send("de");
        QTRY_COMPARE(counts, (QList<int>{3, 5}));
        char buffer[8];
        QCOMPARE(comm->Read(buffer, 8), 5);
        QCOMPARE(QByteArray(buffer, 5), QByteArray("abcde"));
    }

    void readWaitsForBytes() {
        PtyModem modem;
        auto comm = portOn(modem);
        comm->Buffers().SetReadTimeout(5000);
        comm->SetMonitorEvents(TZvCommEvents());
        comm->Open();
        std::thread sender([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            modem.send("OK");
        });
        char buffer[4];
        const int n = comm->Read(buffer, 4);
        sender.join();
        QCOMPARE(QByteArray(buffer, n), QByteArray("OK"));
    }

    void usersGetDataInOrder() {
        PtyModem modem;
        auto comm = portOn(modem);
        QStringList log;
        RecordingUser first(log, QStringLiteral("first")), second(log, QStringLiteral("second")),
            idle(log, QStringLiteral("idle"));
        TZvDispatcher d1(first), d2(second), d3(idle);
        d3.SetActive(false);
        comm->Attach(&d1);
        comm->Attach(&d3);
        comm->Attach(&d2);
        comm->Attach(&d1);
        QCOMPARE(d1.Comm(), comm.get());
        comm->OnRxBuf = [&](const char* data, int count) {
            log.append(QStringLiteral("rxbuf ") + QString::fromLatin1(data, count));
        };
        comm->Open();
        modem.send("OK");
        QTRY_COMPARE(log, (QStringList{u"first data OK"_s, u"second data OK"_s, u"rxbuf OK"_s}));
        QCOMPARE(comm->InQueue(), 0);
        comm.reset();
        QCOMPARE(d1.Comm(), nullptr);
    }

    // The bytes of one delivery go to all users even when the first one
    // closes the port, and closing from inside a delivery does not hang.
    void closeInsideDelivery() {
        PtyModem modem;
        auto comm = portOn(modem);
        QStringList log;
        class Closer : public IZvCommUser {
        public:
            TZvComm* comm = nullptr;
            void HandleData(const char*, int) override { comm->Close(); }
            void HandleCommEvent(quint32) override {}
        } closer;
        closer.comm = comm.get();
        RecordingUser after(log, QStringLiteral("after"));
        TZvDispatcher d1(closer), d2(after);
        comm->Attach(&d1);
        comm->Attach(&d2);
        comm->Open();
        modem.send("BUSY");
        QTRY_VERIFY(!comm->IsOpen());
        QCOMPARE(log, QStringList{u"after data BUSY"_s});
        comm->Open();
        QVERIFY(comm->IsOpen());
    }

    // A handler that runs an event loop (a message box) gets no delivery
    // inside its own: the write thread's output-empty waits for it.
    void deliveriesDoNotNest() {
        PtyModem modem;
        // An echo of the handler's byte would be a second delivery.
        modem.setEcho(false);
        auto comm = portOn(modem);
        QStringList log;
        class Nester : public IZvCommUser {
        public:
            TZvComm* comm = nullptr;
            QStringList* log = nullptr;
            void HandleData(const char*, int) override {
                log->append(u"begin"_s);
                comm->WriteChar('A');
                QEventLoop loop;
                QTimer::singleShot(200, &loop, &QEventLoop::quit);
                loop.exec();
                log->append(u"end"_s);
            }
            void HandleCommEvent(quint32) override {}
        } nester;
        nester.comm = comm.get();
        nester.log = &log;
        TZvDispatcher d(nester);
        comm->Attach(&d);
        comm->OnTxEmpty = [&] { log.append(u"output empty"_s); };
        comm->Open();
        modem.send("x");
        QTRY_COMPARE(log, (QStringList{u"begin"_s, u"end"_s, u"output empty"_s}));
        QCOMPARE(modem.received(), QByteArray("A"));
    }

    // Line events cannot be made on a pseudo-terminal.
    void lineEventsInOrder() {
        auto device = std::make_unique<FakeSerialDevice>();
        FakeSerialDevice* fake = device.get();
        TZvComm comm(std::move(device));
        comm.SetMonitorEvents(ceCts | ceDsr | ceRing | ceRlsd | ceError | ceRxChar);
        QStringList log;
        RecordingUser user(log, QStringLiteral("modem"));
        TZvDispatcher d(user);
        comm.Attach(&d);
        comm.OnError = [&](int errors) { log.append(QStringLiteral("error %1").arg(errors)); };
        comm.OnCts = [&] { log.append(QStringLiteral("cts")); };
        comm.OnDsr = [&] { log.append(QStringLiteral("dsr")); };
        comm.OnRing = [&] { log.append(QStringLiteral("ring")); };
        comm.OnRlsd = [&] { log.append(QStringLiteral("rlsd")); };
        comm.Open();
        fake->setLineErrors(leFrame);
        fake->raise(ceRlsd | ceRing | ceDsr | ceCts | ceError);
        QTRY_COMPARE(log.size(), 6);
        QCOMPARE(log, (QStringList{u"error 8"_s, u"modem events 1b8"_s, u"cts"_s, u"dsr"_s, u"ring"_s, u"rlsd"_s}));
        // Without line errors OnError stays quiet; the users still hear of it.
        log.clear();
        fake->raise(ceError);
        QTRY_COMPARE(log, QStringList{u"modem events 80"_s});
    }

    void eventMaskOfDevice_data() {
        QTest::addColumn<bool>("directWrite");
        QTest::addColumn<uint>("mask");
        QTest::newRow("write thread") << false << uint(ceError | ceRxChar);
        QTest::newRow("direct write") << true << uint(ceError | ceRxChar | ceTxEmpty);
    }
    void eventMaskOfDevice() {
        QFETCH(bool, directWrite);
        QFETCH(uint, mask);
        auto device = std::make_unique<FakeSerialDevice>();
        FakeSerialDevice* fake = device.get();
        TZvComm comm(std::move(device));
        comm.SetDirectWrite(directWrite);
        comm.Open();
        QCOMPARE(fake->eventMask(), mask);
        QCOMPARE(comm.Write("AT", 2), 2);
        QTRY_COMPARE(fake->written(), QByteArray("AT"));
    }

    // A full purge drops what the write thread still holds; an input-only
    // purge leaves it.
    void purgeDropsHeldBytes_data() {
        QTest::addColumn<int>("flags");
        QTest::addColumn<QByteArray>("written");
        QTest::addColumn<bool>("input");
        QTest::addColumn<bool>("output");
        QTest::newRow("all") << 15 << QByteArray("new") << true << true;
        QTest::newRow("input only") << 10 << QByteArray("oldnew") << true << false;
    }
    void purgeDropsHeldBytes() {
        QFETCH(int, flags);
        QFETCH(QByteArray, written);
        QFETCH(bool, input);
        QFETCH(bool, output);
        auto device = std::make_unique<FakeSerialDevice>();
        FakeSerialDevice* fake = device.get();
        TZvComm comm(std::move(device));
        comm.Open();
        fake->holdWrites(true);
        comm.Write("old", 3);
        comm.Purge(flags);
        comm.Write("new", 3);
        fake->holdWrites(false);
        QTRY_COMPARE(fake->written(), written);
        QCOMPARE(fake->purges(), (QList<QPair<bool, bool>>{{input, output}}));
    }

    void failedWriteIsALineError() {
        auto device = std::make_unique<FakeSerialDevice>();
        FakeSerialDevice* fake = device.get();
        TZvComm comm(std::move(device));
        QStringList log;
        RecordingUser user(log, QStringLiteral("modem"));
        TZvDispatcher d(user);
        comm.Attach(&d);
        comm.Open();
        FakeSerialDevice::Failures f;
        f.write = EIO;
        fake->setFailures(f);
        comm.Write("AT", 2);
        QTRY_COMPARE(log, QStringList{u"modem events 80"_s});
    }

    // An exception in a handler reaches the application and ends only that
    // delivery.
    void handlerExceptionGoesToApplication() {
        ExceptionLog errors;
        PtyModem modem;
        auto comm = portOn(modem);
        int calls = 0;
        comm->OnRxChar = [&](int) {
            ++calls;
            throw ZilvarenError(QStringLiteral("boom"));
        };
        comm->Open();
        modem.send("x");
        QTRY_COMPARE(errors.messages, QStringList{u"boom"_s});
        modem.send("y");
        QTRY_COMPARE(calls, 2);
    }
};

QTEST_GUILESS_MAIN(TestSerial)
#include "test_serial.moc"
