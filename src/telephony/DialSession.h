#pragma once

#include "telephony/modem/TZvModem.h"
#include "telephony/serial/TZvComm.h"

#include <QObject>
#include <QString>

#include <memory>

// The dial window's sequence without its widgets: opens the port,
// initialises the modem, dials on its OK and reports each step as a line
// of text; stop() ends it. Idle: port closed, modem State 0; working:
// port open, modem initialising or dialling.
class DialSession : public QObject {
    Q_OBJECT
public:
    explicit DialSession(QObject* parent = nullptr);
    // Tests pass the device the port uses.
    explicit DialSession(std::unique_ptr<ZvSerialDevice> device, QObject* parent = nullptr);

    // Port number n is the device of "COMn" (see TZvCustomComm::DevicePath).
    void setPortNum(int portNum);
    int portNum() const { return comm_.PortNum(); }
    // A device path used instead of the port number.
    void setDevicePath(const QString& path);

    // The number dialled when the modem has answered the initialisation;
    // it may change until then.
    void setNumber(const QString& number) { number_ = number; }
    QString number() const { return number_; }

    bool isWorking() const { return working_; }

    // "Çevir": opens the port and initialises the modem. Throws the port's
    // or the modem's error; the session then stays (or is again) idle.
    void dial();
    // "Kapat": cancels the modem, closes the port, back to idle.
    void stop();

    TZvComm& comm() { return comm_; }
    TZvModem& modem() { return modem_; }

Q_SIGNALS:
    void progressLine(const QString& line);
    void workingChanged(bool working);

private:
    void configure();
    void setWorking(bool working);
    void add(const QString& line) { Q_EMIT progressLine(line); }
    void modemOk();
    void modemError();
    void modemCommandTimeout();
    void endWith(const QString& line);

    TZvComm comm_;
    TZvModem modem_;
    QString number_;
    bool working_ = false;
    // A reply handed over while "Kapat" closes the port must not stop again.
    bool stopping_ = false;
};
