#pragma once

#include "telephony/serial/ZvSerialDevice.h"

#include <linux/serial.h>
#include <termios.h>

#include <atomic>

// Puts the line settings into a termios struct (cleared first) without
// touching a device; 0 or EINVAL for a setting the line cannot take. A
// rate without a B constant gets B38400 here and its own value from
// zvSetCustomRate once the struct is applied.
int zvLineTermios(termios& t, const ZvLineSettings& settings);
bool zvHasStandardRate(int baudrate);
// Sets any rate through the kernel's termios2 interface (BOTHER).
int zvSetCustomRate(int fd, int baudrate);
// The output rate the device reports, through the same interface.
int zvOutputRate(int fd);

// A serial device reached through termios. Line events come from the
// driver's interrupt counters, sampled while waiting, since TIOCMIWAIT
// cannot be woken for Close; devices without counters (pseudo-terminals)
// report received bytes only.
class TermiosDevice : public ZvSerialDevice {
public:
    ~TermiosDevice() override;

    int open(const QString& path) override;
    void close() override;
    bool isOpen() const override { return fd_ >= 0; }

    int configure(const ZvLineSettings& settings) override;
    void lowerModemLines() override;
    void drainOutput(int timeoutMs) override;
    int setQueueSizes(int readSize, int writeSize) override;
    int setTimeouts() override;
    int setEventMask(quint32 events) override;

    qint64 read(char* data, qint64 count) override;
    qint64 write(const char* data, qint64 count) override;
    int purge(bool input, bool output) override;
    int inQueue(int& count) override;
    int statistics(TZvCommStatus& status) override;

    bool waitReadable(int timeoutMs) override;
    Wait waitForEvents(quint32 mask, int wakeFd) override;
    bool waitWritable(int wakeFd) override;

private:
    int setModemLine(int line, bool on);
    quint32 counterEvents();

    int fd_ = -1;
    termios saved_{};
    bool nullStrip_ = false;
    bool countersOk_ = false;
    serial_icounter_struct statCounters_{};
    // Bytes arrive unnoticed by poll() while earlier ones still wait, so
    // arrivals are counted as "read so far + waiting" (event thread only,
    // except the two atomics the user-interface thread updates).
    std::atomic<quint64> consumed_{0};
    std::atomic<bool> resync_{false};
    quint64 rxSeen_ = 0;
    serial_icounter_struct waitCounters_{};
};
