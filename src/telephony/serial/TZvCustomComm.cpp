#include "telephony/serial/TZvCustomComm.h"

#include "platform/SettingsStore.h"
#include "telephony/modem/TZvDispatcher.h"
#include "telephony/serial/EZvCommError.h"
#include "telephony/serial/TermiosDevice.h"
#include "telephony/serial/ZvCommThreads.h"
#include "telephony/serial/ZvExceptionHandler.h"
#include "telephony/serial/ZvHandover.h"
#include "telephony/serial/ZvTickCount.h"

#include <QByteArray>
#include <QRegularExpression>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

using namespace std::chrono_literals;

namespace {

// How long closing waits for written bytes to leave.
constexpr int kDrainMs = 500;
constexpr int kRxPurge = puRxAbort | puRxClear;

const int kBaudValues[] = {0,     110,   300,   600,    1200,   2400,   4800,   9600,
                           14400, 19200, 38400, 56000,  57600,  115200, 128000, 256000};

void callEvent(const std::function<void()>& event) {
    if (!event)
        return;
    try {
        event();
    } catch (...) {
        handleZvException();
    }
}

} // namespace

TZvCustomComm::TZvCustomComm(std::unique_ptr<ZvSerialDevice> device)
    : device_(device ? std::move(device) : std::make_unique<TermiosDevice>()),
      handover_(std::make_unique<ZvHandover>()) {
    flowControl_.OnChange = [this] { ApplyLineSettings(); };
    eventChars_.OnChange = [this] { ApplyLineSettings(); };
    buffers_.OnChange = [this] { RefuseWhileOpen(); };
}

TZvCustomComm::~TZvCustomComm() {
    destroying_ = true;
    Close();
    while (!users_.empty())
        Detach(users_.back());
}

QString TZvCustomComm::DevicePath() const {
    QString name = deviceName_;
    name.replace(QLatin1String("%d"), QString::number(portNum_));
    if (name.contains(QLatin1Char('/')))
        return name;
    static const QRegularExpression comName(QStringLiteral("^COM(\\d+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comName.match(name);
    if (!match.hasMatch())
        return name;
    const int n = match.captured(1).toInt();
    return SettingsStore().portDevice(n).value_or(QStringLiteral("/dev/ttyS%1").arg(n - 1));
}

bool TZvCustomComm::IsOpen() const { return device_->isOpen(); }

void TZvCustomComm::RefuseWhileOpen() const {
    if (IsOpen())
        throw EZvCommError(QStringLiteral("Can't perform this operation while port is open"));
}

void TZvCustomComm::Loaded() {
    if (autoOpen_)
        Open();
}

void TZvCustomComm::Open() {
    RefuseWhileOpen();
    OpenDevice();
    try {
        ApplyLineSettings();
        if (const int error = device_->setQueueSizes(buffers_.ReadSize(), buffers_.WriteSize()))
            raiseCommError("Error initializing buffers (%d), %s", error);
        if (const int error = device_->setTimeouts())
            raiseCommError("Error setting timeouts (%d), %s", error);
        // The write thread reports output-empty itself.
        quint32 mask = monitorEvents_;
        if (!directWrite_)
            mask &= ~quint32(ceTxEmpty);
        if (const int error = device_->setEventMask(mask))
            raiseCommError(" Error setting EventMask (%d), %s", error);
        StartThreads(mask);
    } catch (...) {
        StopThreads();
        device_->close();
        throw;
    }
    callEvent(OnOpen);
}

void TZvCustomComm::OpenDevice() {
    const QString path = DevicePath();
    const int error = device_->open(path);
    if (error == ENOENT)
        throw EZvCommError(QStringLiteral("Specified device not found (%1).").arg(path));
    if (error == EBUSY)
        throw EZvCommError(QStringLiteral("Specified device is already in use (%1).").arg(path));
    if (error)
        throw EZvCommError(QStringLiteral("Can't open specified device %1 (Error %2, %3)")
                               .arg(path, QString::number(error),
                                    QString::fromLocal8Bit(std::strerror(error))));
}

void TZvCustomComm::StartThreads(quint32 mask) {
    const ZvDeliver deliver = [this](quint32 events) { Deliver(events); };
    if (mask) {
        eventThread_ = std::make_unique<TZvCommEventThread>(*device_, mask, *handover_, deliver,
                                                            eventPriority_);
        eventThread_->Start();
    }
    if (!directWrite_) {
        writeThread_ = std::make_unique<TZvCommWriteThread>(
            *device_, buffers_.WriteSize(), writeLock_, *handover_, deliver, writePriority_);
        writeThread_->Start();
    }
}

void TZvCustomComm::StopThreads() {
    if (eventThread_) {
        eventThread_->Stop();
        eventThread_.reset();
    }
    if (writeThread_) {
        writeThread_->Stop();
        writeThread_.reset();
    }
}

void TZvCustomComm::Close() {
    // A delivery that runs while Close waits for a thread may close again.
    if (!IsOpen() || closing_)
        return;
    {
        std::lock_guard lock(portLock_);
        closing_ = true;
        StopThreads();
        handover_->discardPending();
        // Hang up first: a modem left without hang-up-on-close would stay
        // off the hook.
        device_->lowerModemLines();
        device_->drainOutput(kDrainMs);
        device_->close();
        closing_ = false;
    }
    if (!destroying_)
        callEvent(OnClose);
    // Lets a modem see DTR drop before the port can be opened again.
    std::this_thread::sleep_for(300ms);
}

ZvLineSettings TZvCustomComm::LineSettings() const {
    ZvLineSettings s;
    s.baudrate = baudrate_ == brUser ? userBaudrate_ : kBaudValues[baudrate_];
    s.parity = parity_;
    s.databits = databits_;
    s.stopbits = stopbits_;
    s.outCtsFlow = flowControl_.OutCtsFlow();
    s.outDsrFlow = flowControl_.OutDsrFlow();
    s.controlDtr = flowControl_.ControlDtr();
    s.controlRts = flowControl_.ControlRts();
    s.xonXoffOut = flowControl_.XonXoffOut();
    s.xonXoffIn = flowControl_.XonXoffIn();
    s.dsrSensitivity = flowControl_.DsrSensitivity();
    s.txContinueOnXoff = flowControl_.TxContinueOnXoff();
    s.options = options_;
    s.xonLimit = buffers_.XonLimit();
    s.xoffLimit = buffers_.XoffLimit();
    s.xonChar = eventChars_.XonChar();
    s.xoffChar = eventChars_.XoffChar();
    s.errorChar = eventChars_.ErrorChar();
    s.eventChar = eventChars_.EventChar();
    s.eofChar = eventChars_.EventChar();
    return s;
}

void TZvCustomComm::ApplyLineSettings() {
    if (!IsOpen() || !updateDCB_)
        return;
    if (const int error = device_->configure(LineSettings()))
        raiseCommError("Error writing dcb (%d), %s", error);
}

void TZvCustomComm::SetBaudrate(TZvBaudrate v) {
    if (v != baudrate_)
        changeBaud(v, v == brUser ? userBaudrate_ : 0);
}

void TZvCustomComm::SetUserBaudrate(int v) {
    if (v != userBaudrate_)
        changeBaud(brUser, v);
}

// A rate the device refuses leaves the previous one in place.
void TZvCustomComm::changeBaud(TZvBaudrate rate, int user) {
    const TZvBaudrate oldRate = baudrate_;
    const int oldUser = userBaudrate_;
    baudrate_ = rate;
    userBaudrate_ = user;
    try {
        ApplyLineSettings();
    } catch (...) {
        baudrate_ = oldRate;
        userBaudrate_ = oldUser;
        throw;
    }
}

void TZvCustomComm::SetPortNum(int v) {
    RefuseWhileOpen();
    portNum_ = v;
}

void TZvCustomComm::SetDeviceName(const QString& v) {
    RefuseWhileOpen();
    deviceName_ = v;
}

void TZvCustomComm::SetMonitorEvents(TZvCommEvents v) {
    RefuseWhileOpen();
    monitorEvents_ = v;
}

void TZvCustomComm::SetDirectWrite(bool v) {
    RefuseWhileOpen();
    directWrite_ = v;
}

void TZvCustomComm::SetUpdateDCB(bool v) {
    RefuseWhileOpen();
    updateDCB_ = v;
}

void TZvCustomComm::SetEventPriority(TZvThreadPriority v) {
    eventPriority_ = v;
    if (eventThread_)
        eventThread_->SetPriority(v);
}

void TZvCustomComm::SetWritePriority(TZvThreadPriority v) {
    writePriority_ = v;
    if (writeThread_)
        writeThread_->SetPriority(v);
}

int TZvCustomComm::Write(const char* data, int count) {
    if (!IsOpen() || count <= 0)
        return 0;
    if (directWrite_)
        return DirectWriteBytes(data, count);
    if (!writeThread_)
        return 0;
    const quint32 start = zvTickCount();
    while (!writeThread_->Append(data, count)) {
        if (zvTickCount() - start >= quint32(buffers_.WriteTimeout()))
            throw EZvCommError(QStringLiteral("Output buffer is full. Please check comm status."));
        // The write thread may wait for a delivery before it drains more.
        handover_->waitUntil(ZvHandover::WriteThread, [] { return false; }, 1ms);
    }
    return count;
}

// Without a write thread nothing reports output-empty.
int TZvCustomComm::DirectWriteBytes(const char* data, int count) {
    std::lock_guard lock(portLock_);
    const qint64 written = device_->write(data, count);
    if (written < 0)
        raiseCommError("Write error (%d), %s", int(-written));
    return int(written);
}

int TZvCustomComm::Read(char* data, int count) {
    if (!IsOpen())
        return 0;
    std::lock_guard lock(portLock_);
    qint64 n = device_->read(data, count);
    if (n == 0 && device_->waitReadable(buffers_.ReadTimeout()))
        n = device_->read(data, count);
    if (n < 0)
        raiseCommError("Read error (%d), %s", int(-n));
    return int(n);
}

void TZvCustomComm::Purge(int flags) {
    if (!IsOpen())
        return;
    std::lock_guard lock(portLock_);
    if (flags != kRxPurge && writeThread_ && !closing_ &&
        writeThread_->RequestPurge(2000ms))
        writeThread_->ClearBuffer();
    if (const int error = device_->purge(flags & kRxPurge, flags & (puTxAbort | puTxClear)))
        raiseCommError("Error clearing buffers (%d), %s", error);
}

TZvCommStatus TZvCustomComm::Statistics() {
    TZvCommStatus status;
    if (!IsOpen())
        return status;
    std::lock_guard lock(portLock_);
    if (const int error = device_->statistics(status))
        raiseCommError("Error retrieving statistics (%d), %s", error);
    return status;
}

int TZvCustomComm::InQueue() {
    if (!IsOpen())
        return 0;
    std::lock_guard lock(portLock_);
    int count = 0;
    if (const int error = device_->inQueue(count))
        raiseCommError("Error retrieving statistics (%d), %s", error);
    return count;
}

void TZvCustomComm::Attach(TZvDispatcher* dispatcher) {
    if (dispatcher->comm_ == this)
        return;
    if (dispatcher->comm_)
        dispatcher->comm_->Detach(dispatcher);
    users_.push_back(dispatcher);
    dispatcher->comm_ = this;
}

void TZvCustomComm::Detach(TZvDispatcher* dispatcher) {
    std::erase(users_, dispatcher);
    if (dispatcher->comm_ == this)
        dispatcher->comm_ = nullptr;
}

void TZvCustomComm::Deliver(quint32 events) {
    try {
        if (display_)
            display_->CommEvent(events);
        if (events & ceRxChar) {
            ReceiveData();
            events &= ~quint32(ceRxChar);
        }
        // A handler of the data may have closed the port.
        if (events && IsOpen())
            LineEvents(events);
    } catch (...) {
        handleZvException();
    }
}

void TZvCustomComm::ReceiveData() {
    const int waiting = InQueue();
    if (waiting == 0)
        return;
    if (users_.empty()) {
        if (OnRxChar)
            OnRxChar(waiting);
        return;
    }
    QByteArray block(waiting, Qt::Uninitialized);
    const int n = Read(block.data(), waiting);
    // Handlers may attach, detach or close; each user still attached gets
    // the block once.
    const auto users = users_;
    for (TZvDispatcher* user : users)
        if (std::find(users_.begin(), users_.end(), user) != users_.end() && user->Active())
            user->User().HandleData(block.constData(), n);
    if (OnRxBuf)
        OnRxBuf(block.constData(), n);
}

void TZvCustomComm::LineEvents(quint32 mask) {
    if (mask & ceError) {
        const TZvCommStatus status = Statistics();
        if (status.errors && OnError) {
            try {
                OnError(int(status.errors));
            } catch (...) {
                handleZvException();
            }
        }
    }
    const auto users = users_;
    for (TZvDispatcher* user : users)
        if (std::find(users_.begin(), users_.end(), user) != users_.end() && user->Active())
            user->User().HandleCommEvent(mask);
    using Event = std::function<void()> TZvCustomComm::*;
    static const std::pair<TZvCommEvent, Event> order[] = {
        {ceRxFlag, &TZvCustomComm::OnRxFlag},     {ceCts, &TZvCustomComm::OnCts},
        {ceDsr, &TZvCustomComm::OnDsr},           {ceRing, &TZvCustomComm::OnRing},
        {ceRlsd, &TZvCustomComm::OnRlsd},         {ceTxEmpty, &TZvCustomComm::OnTxEmpty},
        {ceBreak, &TZvCustomComm::OnBreak},       {cePErr, &TZvCustomComm::OnPErr},
        {ceRx80Full, &TZvCustomComm::OnRx80Full}, {ceEvent1, &TZvCustomComm::OnEvent1},
        {ceEvent2, &TZvCustomComm::OnEvent2}};
    for (const auto& [bit, event] : order)
        if ((mask & bit) && this->*event)
            (this->*event)();
}
