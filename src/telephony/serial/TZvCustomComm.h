#pragma once

#include "telephony/serial/TZvPersistent.h"
#include "telephony/serial/ZvCommTypes.h"
#include "telephony/serial/ZvSerialDevice.h"

#include <QString>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TZvDispatcher;
class TZvCommEventThread;
class TZvCommWriteThread;
class ZvHandover;

// An optional terminal display, told of every delivery first.
class TZvDisplay {
public:
    virtual ~TZvDisplay() = default;
    virtual void CommEvent(quint32 events) = 0;
};

// A serial port: opens the device, applies the line settings, writes
// through a write thread, waits for line events in an event thread, and
// passes received bytes and line events, on the thread that made it, to
// the attached users and to its own events. TZvComm publishes the
// properties. Callbacks capture their own sender.
class TZvCustomComm {
public:
    // Without a device, the port reaches its devices through termios.
    explicit TZvCustomComm(std::unique_ptr<ZvSerialDevice> device = nullptr);
    virtual ~TZvCustomComm();
    TZvCustomComm(const TZvCustomComm&) = delete;
    TZvCustomComm& operator=(const TZvCustomComm&) = delete;

    void Open();
    void Close();
    bool IsOpen() const;
    // Opens the port when AutoOpen is set; call once the properties are set.
    void Loaded();

    // Bytes accepted; 0 while closed.
    int Write(const char* data, int count);
    bool WriteChar(char byte) { return Write(&byte, 1) == 1; }
    int Read(char* data, int count);
    void Purge(int flags);
    TZvCommStatus Statistics();
    int InQueue();

    void Attach(TZvDispatcher* dispatcher);
    void Detach(TZvDispatcher* dispatcher);

    // The device the next Open uses: DeviceName with PortNum in place of
    // its %d. "COMn" stands for the device set for it in the settings
    // ("Ports"), else /dev/ttyS(n-1); a name with a "/" is a path.
    QString DevicePath() const;

protected:
    bool AutoOpen() const { return autoOpen_; }
    void SetAutoOpen(bool v) { autoOpen_ = v; }
    TZvBaudrate Baudrate() const { return baudrate_; }
    void SetBaudrate(TZvBaudrate v);
    TZvParity Parity() const { return parity_; }
    void SetParity(TZvParity v) { changeLine(parity_, v); }
    TZvDatabits Databits() const { return databits_; }
    void SetDatabits(TZvDatabits v) { changeLine(databits_, v); }
    TZvStopbits Stopbits() const { return stopbits_; }
    void SetStopbits(TZvStopbits v) { changeLine(stopbits_, v); }
    TZvEventChars& EventChars() { return eventChars_; }
    TZvFlowControl& FlowControl() { return flowControl_; }
    TZvCommOptions Options() const { return options_; }
    void SetOptions(TZvCommOptions v) { changeLine(options_, v); }
    int PortNum() const { return portNum_; }
    void SetPortNum(int v);
    QString DeviceName() const { return deviceName_; }
    void SetDeviceName(const QString& v);
    TZvCommEvents MonitorEvents() const { return monitorEvents_; }
    void SetMonitorEvents(TZvCommEvents v);
    TZvBuffers& Buffers() { return buffers_; }
    TZvThreadPriority EventPriority() const { return eventPriority_; }
    void SetEventPriority(TZvThreadPriority v);
    TZvThreadPriority WritePriority() const { return writePriority_; }
    void SetWritePriority(TZvThreadPriority v);
    bool DirectWrite() const { return directWrite_; }
    void SetDirectWrite(bool v);
    bool UpdateDCB() const { return updateDCB_; }
    void SetUpdateDCB(bool v);
    int UserBaudrate() const { return userBaudrate_; }
    void SetUserBaudrate(int v);
    TZvDisplay* Display() const { return display_; }
    void SetDisplay(TZvDisplay* v) { display_ = v; }

    std::function<void()> OnOpen, OnClose;
    std::function<void()> OnCts, OnDsr, OnRlsd, OnRing, OnBreak, OnRxFlag, OnTxEmpty, OnPErr,
        OnRx80Full, OnEvent1, OnEvent2;
    std::function<void(int errors)> OnError;
    // Bytes wait and no user is attached; the application reads them.
    std::function<void(int count)> OnRxChar;
    // Bytes were read and handed to the attached users.
    std::function<void(const char* data, int count)> OnRxBuf;

private:
    void ApplyLineSettings();
    ZvLineSettings LineSettings() const;
    void RefuseWhileOpen() const;
    void changeBaud(TZvBaudrate rate, int user);
    template <typename T> void changeLine(T& field, T value) {
        if (field == value)
            return;
        const T old = field;
        field = value;
        try {
            ApplyLineSettings();
        } catch (...) {
            field = old;
            throw;
        }
    }
    void OpenDevice();
    void StartThreads(quint32 mask);
    void StopThreads();
    int DirectWriteBytes(const char* data, int count);

    // Runs on the user-interface thread for each hand-over.
    void Deliver(quint32 events);
    void ReceiveData();
    void LineEvents(quint32 mask);

    std::unique_ptr<ZvSerialDevice> device_;
    std::unique_ptr<ZvHandover> handover_;
    std::recursive_mutex writeLock_; // the write buffer
    std::recursive_mutex portLock_;  // reading, purging, statistics, closing
    std::unique_ptr<TZvCommEventThread> eventThread_;
    std::unique_ptr<TZvCommWriteThread> writeThread_;
    std::vector<TZvDispatcher*> users_;
    bool closing_ = false;
    bool destroying_ = false;

    bool autoOpen_ = false;
    TZvBaudrate baudrate_ = br1200;
    TZvParity parity_ = paNone;
    TZvDatabits databits_ = db8;
    TZvStopbits stopbits_ = sb1;
    TZvEventChars eventChars_;
    TZvFlowControl flowControl_;
    TZvCommOptions options_;
    int portNum_ = 0;
    QString deviceName_ = QStringLiteral("COM%d");
    TZvCommEvents monitorEvents_ = ceError | ceRxChar | ceTxEmpty;
    TZvBuffers buffers_;
    TZvThreadPriority eventPriority_ = tpNormal;
    TZvThreadPriority writePriority_ = tpHighest;
    bool directWrite_ = false;
    bool updateDCB_ = true;
    int userBaudrate_ = 0;
    TZvDisplay* display_ = nullptr;
};
