#pragma once

#include "telephony/modem/TZvComponent.h"
#include "telephony/modem/TZvTimer.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>

enum TZvRingDetect { rdLine, rdMsg, rdNone };

// The operation a modem runs; 2 is never used.
enum TZvModemState : quint8 {
    msIdle = 0,
    msInitializing = 1,
    msDialing = 3,
    msAnswering = 4
};

// Drives an AT-command modem through the serial port it is attached to:
// sends the commands of Config, assembles reply lines, turns each known
// reply into an event, times operations out and counts rings. TZvModem
// publishes the properties.
class TZvCustomModem : public TZvCommComponent {
public:
    TZvCustomModem();

    static QStringList DefaultConfig();
    static QString DecodeControlNotation(const QString& text);

    void Initialize();
    void Dial(const QString& number);
    void Answer();
    // Stops waiting; nothing is sent to the modem.
    void Cancel();
    quint8 State() const { return state_; }
    QString ConnectString() const { return connectString_; }

    // The value of the first Config line named key (any case), trimmed.
    QString GetConfigValue(const QString& key) const;
    void SendCommand(const QString& text);

    void HandleData(const char* data, int count) override;
    void HandleCommEvent(quint32 mask) override;

protected:
    bool Active() const { return Dispatcher().Active(); }
    void SetActive(bool v) { Dispatcher().SetActive(v); }
    const QStringList& Config() const { return config_; }
    void SetConfig(const QStringList& lines);
    int DialTimeout() const { return dialTimeout_; }
    void SetDialTimeout(int v) { dialTimeout_ = v; }
    int AnswerTimeout() const { return answerTimeout_; }
    void SetAnswerTimeout(int v) { answerTimeout_ = v; }
    int RingWaitTimeout() const { return ringWaitTimer_.Interval(); }
    void SetRingWaitTimeout(int v) { ringWaitTimer_.SetInterval(v); }
    int CommandTimeout() const { return commandTimeout_; }
    void SetCommandTimeout(int v) { commandTimeout_ = v; }
    int CharDelay() const { return charDelay_; }
    void SetCharDelay(int v) { charDelay_ = v; }
    TZvRingDetect RingDetect() const { return ringDetect_; }
    void SetRingDetect(TZvRingDetect v) { ringDetect_ = v; }
    int DtrDropDelay() const { return dtrDropDelay_; }
    void SetDtrDropDelay(int v) { dtrDropDelay_ = v; }

    std::function<void(int rings, bool& acceptCall)> OnRingDetect;
    std::function<void()> OnRingWaitTimeout;
    std::function<void()> OnOK, OnBusy, OnVoice, OnNoCarrier, OnNoDialTone, OnError;
    std::function<void(const QString& connectString)> OnConnect;
    std::function<void()> OnAnswerTimeout, OnDialTimeout, OnCommandTimeout;

    virtual void DoRing();

private:
    void LoadReplies();
    void CheckBusy() const;
    void StartOperation(int timeout);
    void ReceiveByte(char byte);
    void ProcessReply(QByteArray line);
    void OperationTimeout();
    void RingWaitTimeoutReached();

    QStringList config_;
    int dialTimeout_ = 30000;
    int answerTimeout_ = 30000;
    int commandTimeout_ = 5000;
    int charDelay_ = 0;
    TZvRingDetect ringDetect_ = rdLine;
    int dtrDropDelay_ = 1000;

    quint8 state_ = msIdle;
    QByteArray replyOk_, replyRing_, replyBusy_, replyVoice_, replyNoCarrier_, replyNoDialTone_,
        replyError_, replyConnect_;
    char replyTerminator_ = 0;
    QByteArray lineBuffer_;
    QString connectString_;
    int ringCount_ = 0;
    TZvTimer operationTimer_;
    TZvTimer ringWaitTimer_;
};
