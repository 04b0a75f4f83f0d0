#pragma once

#include "telephony/serial/ZvCommTypes.h"

#include <QString>

// The serial device under the port. Failures are reported as an errno
// value (0 = success); read and write return the byte count or a negative
// errno. The port calls open, configure, close, read, purge and the
// queries from the user-interface thread, waitForEvents from its event
// thread and write/waitWritable from its write thread; an implementation
// must allow those to overlap.
class ZvSerialDevice {
public:
    virtual ~ZvSerialDevice() = default;

    // EBUSY when another port (of any process) has the device open.
    virtual int open(const QString& path) = 0;
    // Restores the settings the device had before open, then closes it.
    virtual void close() = 0;
    virtual bool isOpen() const = 0;

    // Line settings and the DTR/RTS lines.
    virtual int configure(const ZvLineSettings& settings) = 0;
    // Lowers DTR and RTS: a modem hangs up.
    virtual void lowerModemLines() = 0;
    // Waits until the written bytes have left, for at most timeoutMs;
    // what is left then is dropped.
    virtual void drainOutput(int timeoutMs) = 0;
    virtual int setQueueSizes(int readSize, int writeSize) = 0;
    // Reads return at once with what has arrived.
    virtual int setTimeouts() = 0;
    virtual int setEventMask(quint32 events) = 0;

    virtual qint64 read(char* data, qint64 count) = 0;
    virtual qint64 write(const char* data, qint64 count) = 0;
    virtual int purge(bool input, bool output) = 0;
    virtual int inQueue(int& count) = 0;
    // Clears the line-error state it reports.
    virtual int statistics(TZvCommStatus& status) = 0;

    // Blocks until received bytes arrive (for at most timeoutMs).
    virtual bool waitReadable(int timeoutMs) = 0;

    struct Wait {
        quint32 events = 0; // TZvCommEvent bits
        bool hangUp = false;
    };
    // Blocks until one of the events of the mask happens, the device hangs
    // up, or wakeFd becomes readable (then events is 0).
    virtual Wait waitForEvents(quint32 mask, int wakeFd) = 0;
    // Blocks until the device takes bytes again (true) or wakeFd becomes
    // readable (false).
    virtual bool waitWritable(int wakeFd) = 0;
};
