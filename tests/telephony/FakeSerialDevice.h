#pragma once

#include "telephony/serial/ZvSerialDevice.h"
#include "telephony/serial/ZvWakeFd.h"

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QStringList>

#include <mutex>

// A serial device the test drives: line events and received bytes are
// raised by hand, each step of opening can be made to fail, and writes
// can be held back.
class FakeSerialDevice : public ZvSerialDevice {
public:
    // errno values the steps return; 0 = success.
    struct Failures {
        int open = 0, configure = 0, queueSizes = 0, timeouts = 0, eventMask = 0, write = 0;
    };

    // Test side.
    void setFailures(const Failures& f);
    void receive(const QByteArray& bytes);
    void raise(quint32 events);
    void setLineErrors(quint32 errors);
    void holdWrites(bool hold);
    QByteArray written() const;
    ZvLineSettings settings() const;
    quint32 eventMask() const;
    QString openedPath() const;
    QList<QPair<bool, bool>> purges() const;
    // The steps of closing, in order: "lower lines", "drain", "close".
    QStringList closeSteps() const;

    // Device side.
    int open(const QString& path) override;
    void close() override;
    bool isOpen() const override;
    int configure(const ZvLineSettings& settings) override;
    void lowerModemLines() override;
    void drainOutput(int timeoutMs) override;
    int setQueueSizes(int, int) override;
    int setTimeouts() override;
    int setEventMask(quint32 events) override;
    qint64 read(char* data, qint64 count) override;
    qint64 write(const char* data, qint64 count) override;
    int purge(bool input, bool output) override;
    int inQueue(int& count) override;
    int statistics(TZvCommStatus& status) override;
    bool waitReadable(int) override;
    Wait waitForEvents(quint32 mask, int wakeFd) override;
    bool waitWritable(int wakeFd) override;

private:
    static bool waitForWake(int wakeFd, ZvWakeFd& changed);

    mutable std::mutex mutex_;
    ZvWakeFd eventsChanged_; // one per waiting thread: each drains its own
    ZvWakeFd writesChanged_;
    Failures failures_;
    bool open_ = false;
    QString path_;
    ZvLineSettings settings_;
    quint32 mask_ = 0;
    quint32 pending_ = 0;
    quint32 lineErrors_ = 0;
    bool hold_ = false;
    QByteArray rx_, tx_;
    QList<QPair<bool, bool>> purges_;
    QStringList closeSteps_;
};
