#include "telephony/modem/TZvCustomModem.h"

#include "platform/Cp1254.h"
#include "telephony/modem/EZvModemException.h"
#include "telephony/serial/ZvTickCount.h"

#include <thread>

namespace {

constexpr quint32 kRingEvent = 0x0100;
constexpr int kPurgeAll = 15;

bool isBlank(uint c) { return c <= 32; }

QString trimmedControls(const QString& text) {
    qsizetype start = 0, end = text.size();
    while (start < end && isBlank(text[start].unicode()))
        ++start;
    while (end > start && isBlank(text[end - 1].unicode()))
        --end;
    return text.mid(start, end - start);
}

QByteArray trimmedControls(const QByteArray& bytes) {
    qsizetype start = 0, end = bytes.size();
    while (start < end && isBlank(uchar(bytes[start])))
        ++start;
    while (end > start && isBlank(uchar(bytes[end - 1])))
        --end;
    return bytes.mid(start, end - start);
}

} // namespace

TZvCustomModem::TZvCustomModem() {
    operationTimer_.SetEnabled(false);
    operationTimer_.SetInterval(5000);
    operationTimer_.SetOnTimer([this] { OperationTimeout(); });
    ringWaitTimer_.SetEnabled(false);
    ringWaitTimer_.SetInterval(5000);
    ringWaitTimer_.SetOnTimer([this] { RingWaitTimeoutReached(); });
    SetConfig(DefaultConfig());
}

QStringList TZvCustomModem::DefaultConfig() {
    return {QStringLiteral("RESETCMD=ATZ^M"),
            QStringLiteral("DIALCMD=ATDT"),
            QStringLiteral("DIALTERM=^M"),
            QStringLiteral("HANGUPCMD=+++~~~ATH0^M"),
            QStringLiteral("INITCMD=ATZE1M1^M"),
            QStringLiteral("ANSWERCMD=ATA^M"),
            QStringLiteral("ROK=OK"),
            QStringLiteral("RCONNECT=CONNECT"),
            QStringLiteral("RBUSY=BUSY"),
            QStringLiteral("RVOICE=VOICE"),
            QStringLiteral("RNOCARRIER=NO CARRIER"),
            QStringLiteral("RNODIALTONE=NO DIALTONE"),
            QStringLiteral("RERROR=ERROR"),
            QStringLiteral("RRING=RING"),
            QStringLiteral("RTERM=^M")};
}

void TZvCustomModem::SetConfig(const QStringList& lines) {
    config_ = lines;
    LoadReplies();
}

QString TZvCustomModem::GetConfigValue(const QString& key) const {
    // Only KEY=VALUE lines name a key; a stray line hides nothing.
    for (const QString& line : config_) {
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq >= 0 && QStringView(line).left(eq).compare(key, Qt::CaseInsensitive) == 0)
            return trimmedControls(line.mid(eq + 1));
    }
    return QString();
}

QString TZvCustomModem::DecodeControlNotation(const QString& text) {
    QString out;
    int carets = 0;
    for (const QChar c : text) {
        if (c == QLatin1Char('^')) {
            ++carets;
        } else if (carets == 0) {
            out += c;
        } else if (carets == 1) {
            // ASCII letters only: ı upper-cases to I, yet is no control letter.
            const char16_t u = c.unicode();
            if ((u >= u'A' && u <= u'Z') || (u >= u'a' && u <= u'z')) {
                out += QChar((u & ~0x20) - 64);
            } else {
                out += QLatin1Char('^');
                out += c;
            }
            carets = 0;
        }
    }
    return out;
}

void TZvCustomModem::LoadReplies() {
    const auto reply = [this](const char* key) {
        return cp1254::encode(GetConfigValue(QString::fromLatin1(key)));
    };
    replyOk_ = reply("ROK");
    replyRing_ = reply("RRING");
    replyBusy_ = reply("RBUSY");
    replyVoice_ = reply("RVOICE");
    replyNoCarrier_ = reply("RNOCARRIER");
    replyNoDialTone_ = reply("RNODIALTONE");
    replyError_ = reply("RERROR");
    replyConnect_ = reply("RCONNECT");
    const QByteArray term =
        cp1254::encode(DecodeControlNotation(GetConfigValue(QStringLiteral("RTERM"))));
    replyTerminator_ = term.isEmpty() ? '\0' : term[0];
}

void TZvCustomModem::SendCommand(const QString& text) {
    const QByteArray bytes = cp1254::encode(DecodeControlNotation(text));
    for (const char byte : bytes) {
        if (!Dispatcher().WriteChar(byte))
            throw EZvModemException(QStringLiteral("TZvModem: error writing to comm."));
        if (charDelay_ > 0) {
            const quint32 start = zvTickCount();
            while (zvTickCount() - start <= quint32(charDelay_))
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
}

void TZvCustomModem::CheckBusy() const {
    if (operationTimer_.Enabled())
        throw EZvModemException(QStringLiteral("Waiting for previous operation to complete."));
}

void TZvCustomModem::StartOperation(int timeout) {
    operationTimer_.SetInterval(timeout);
    operationTimer_.SetEnabled(true);
}

void TZvCustomModem::Initialize() {
    CheckBusy();
    state_ = msInitializing;
    Dispatcher().Purge(kPurgeAll);
    SendCommand(GetConfigValue(QStringLiteral("INITCMD")));
    StartOperation(commandTimeout_);
}

void TZvCustomModem::Dial(const QString& number) {
    CheckBusy();
    state_ = msDialing;
    const QString command = GetConfigValue(QStringLiteral("DIALCMD")) + number +
                            GetConfigValue(QStringLiteral("DIALTERM"));
    Dispatcher().Purge(kPurgeAll);
    SendCommand(command);
    StartOperation(dialTimeout_);
}

void TZvCustomModem::Answer() {
    CheckBusy();
    state_ = msAnswering;
    Dispatcher().Purge(kPurgeAll);
    SendCommand(GetConfigValue(QStringLiteral("ANSWERCMD")));
    StartOperation(answerTimeout_);
}

void TZvCustomModem::Cancel() {
    operationTimer_.SetEnabled(false);
    state_ = msIdle;
}

void TZvCustomModem::HandleData(const char* data, int count) {
    for (int i = 0; i < count; ++i)
        ReceiveByte(data[i]);
}

void TZvCustomModem::HandleCommEvent(quint32 mask) {
    if ((mask & kRingEvent) && ringDetect_ == rdLine)
        DoRing();
}

void TZvCustomModem::ReceiveByte(char byte) {
    if (byte == replyTerminator_) {
        // Emptied first: a handler's exception must not leave the line to
        // be reported again.
        const QByteArray line = lineBuffer_;
        lineBuffer_.clear();
        if (!line.isEmpty())
            ProcessReply(line);
        return;
    }
    lineBuffer_ += byte == '\0' ? ' ' : byte;
}

void TZvCustomModem::ProcessReply(QByteArray line) {
    line = trimmedControls(line);
    // What is left of the line feed after a reply is no line.
    if (line.isEmpty())
        return;
    enum Reply { Ok, Ring, Busy, Voice, NoCarrier, NoDialTone, Error, Connect, None };
    const QByteArray* exact[] = {&replyOk_,        &replyRing_,      &replyBusy_, &replyVoice_,
                                 &replyNoCarrier_, &replyNoDialTone_, &replyError_};
    Reply reply = None;
    for (int i = 0; i < 7 && reply == None; ++i)
        if (line == *exact[i])
            reply = Reply(i);
    if (reply == None && line.startsWith(replyConnect_)) {
        reply = Connect;
        connectString_ = cp1254::decode(line);
    }
    if (reply == None)
        return;

    operationTimer_.SetEnabled(false);
    const auto fire = [](const std::function<void()>& event) {
        if (event)
            event();
    };
    switch (reply) {
    case Ok: fire(OnOK); break;
    case Ring:
        if (ringDetect_ == rdMsg)
            DoRing();
        break;
    case Busy: fire(OnBusy); break;
    case Voice: fire(OnVoice); break;
    case NoCarrier: fire(OnNoCarrier); break;
    case NoDialTone: fire(OnNoDialTone); break;
    case Error: fire(OnError); break;
    case Connect:
        if (OnConnect)
            OnConnect(connectString_);
        break;
    case None: break;
    }
}

void TZvCustomModem::OperationTimeout() {
    operationTimer_.SetEnabled(false);
    if (state_ == msDialing) {
        if (OnDialTimeout)
            OnDialTimeout();
    } else if (state_ == msAnswering) {
        ringCount_ = 0;
        if (OnAnswerTimeout)
            OnAnswerTimeout();
    } else if (OnCommandTimeout) {
        OnCommandTimeout();
    }
}

void TZvCustomModem::DoRing() {
    ringWaitTimer_.SetEnabled(false);
    ++ringCount_;
    bool acceptCall = false;
    if (OnRingDetect)
        OnRingDetect(ringCount_, acceptCall);
    if (acceptCall)
        Answer();
    else
        ringWaitTimer_.SetEnabled(true);
}

void TZvCustomModem::RingWaitTimeoutReached() {
    ringWaitTimer_.SetEnabled(false);
    ringCount_ = 0;
    if (OnRingWaitTimeout)
        OnRingWaitTimeout();
}
