#include "telephony/DialSession.h"

DialSession::DialSession(QObject* parent) : QObject(parent) { configure(); }

DialSession::DialSession(std::unique_ptr<ZvSerialDevice> device, QObject* parent)
    : QObject(parent), comm_(std::move(device)) {
    configure();
}

void DialSession::configure() {
    comm_.SetBaudrate(br115200);
    TZvFlowControl& flow = comm_.FlowControl();
    flow.BeginUpdate();
    flow.SetOutCtsFlow(true);
    flow.SetOutDsrFlow(true);
    flow.SetControlDtr(dtrHandshake);
    flow.SetControlRts(rtsHandshake);
    flow.SetXonXoffOut(false);
    flow.SetXonXoffIn(false);
    flow.SetDsrSensitivity(true);
    flow.SetTxContinueOnXoff(false);
    flow.EndUpdate();
    comm_.SetPortNum(2);
    comm_.SetDeviceName(QStringLiteral("COM%d"));

    modem_.SetComm(&comm_);
    modem_.SetActive(true);
    modem_.SetConfig(TZvModem::DefaultConfig());
    modem_.SetDialTimeout(0);
    modem_.SetRingDetect(rdNone);
    modem_.OnOK = [this] { modemOk(); };
    modem_.OnBusy = [this] { endWith(QStringLiteral("Line is busy.")); };
    modem_.OnNoCarrier = [this] { endWith(QStringLiteral("No Carrier.")); };
    modem_.OnNoDialTone = [this] { endWith(QStringLiteral("No dialtone")); };
    modem_.OnError = [this] { modemError(); };
    modem_.OnCommandTimeout = [this] { modemCommandTimeout(); };
    modem_.OnVoice = [this] { add(QStringLiteral("Voice line")); };
    modem_.OnConnect = [this](const QString& line) { add(QStringLiteral("Connect: ") + line); };
}

void DialSession::setPortNum(int portNum) {
    comm_.SetDeviceName(QStringLiteral("COM%d"));
    comm_.SetPortNum(portNum);
}

void DialSession::setDevicePath(const QString& path) { comm_.SetDeviceName(path); }

void DialSession::setWorking(bool working) {
    if (working == working_)
        return;
    working_ = working;
    Q_EMIT workingChanged(working);
}

void DialSession::dial() {
    comm_.Open();
    try {
        modem_.Initialize();
    } catch (...) {
        // Left open, the port would refuse the next "Çevir".
        modem_.Cancel();
        comm_.Close();
        throw;
    }
    setWorking(true);
}

void DialSession::stop() {
    if (stopping_)
        return;
    stopping_ = true;
    if (modem_.State() != msIdle)
        modem_.Cancel();
    else
        add(QStringLiteral("Modem was Closed."));
    if (comm_.IsOpen())
        comm_.Close();
    else
        add(QStringLiteral("Comm Port was Closed."));
    add(QStringLiteral("Modem and/or Com Port Closed."));
    add(QString());
    setWorking(false);
    stopping_ = false;
}

void DialSession::endWith(const QString& line) {
    if (stopping_)
        return;
    add(line);
    stop();
}

void DialSession::modemOk() {
    if (modem_.State() != msInitializing)
        return;
    add(QStringLiteral("Modem initialized."));
    modem_.Dial(number_);
    add(QStringLiteral("Dialing ") + number_ + QStringLiteral("."));
}

void DialSession::modemError() {
    if (modem_.State() == msInitializing)
        endWith(QStringLiteral("Error initializing modem."));
    else if (modem_.State() == msDialing)
        endWith(QStringLiteral("Error in dial string."));
}

void DialSession::modemCommandTimeout() {
    if (modem_.State() == msInitializing)
        endWith(QStringLiteral("Error initializing modem."));
}
