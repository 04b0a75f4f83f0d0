#pragma once

#include "telephony/serial/ZvCommTypes.h"
#include "telephony/serial/ZvHandover.h"
#include "telephony/serial/ZvSerialDevice.h"
#include "telephony/serial/ZvWakeFd.h"

#include <sys/types.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// Runs on the user-interface thread with the event word of one delivery.
using ZvDeliver = std::function<void(quint32 events)>;

// A worker of an open port. Start launches it; Stop ends it, serving its
// pending deliveries until it has.
class ZvCommThread {
public:
    virtual ~ZvCommThread();
    ZvCommThread(const ZvCommThread&) = delete;
    ZvCommThread& operator=(const ZvCommThread&) = delete;

    void Start();
    void Stop();
    void SetPriority(TZvThreadPriority priority);

protected:
    ZvCommThread(ZvHandover& handover, ZvHandover::Source source, ZvDeliver deliver,
                 TZvThreadPriority priority);
    virtual void Execute() = 0;
    // Runs a delivery on the user-interface thread and waits for it.
    void Deliver(quint32 events);

    ZvHandover& handover_;
    const ZvHandover::Source source_;
    ZvWakeFd wake_;
    std::atomic<bool> terminating_{false};

private:
    const ZvDeliver deliver_;
    std::atomic<TZvThreadPriority> priority_;
    std::atomic<pid_t> tid_{0};
    bool finished_ = false; // under the handover's lock
    std::thread thread_;
};

// Waits for line events and hands each to the user-interface thread.
class TZvCommEventThread : public ZvCommThread {
public:
    TZvCommEventThread(ZvSerialDevice& device, quint32 mask, ZvHandover& handover,
                       ZvDeliver deliver, TZvThreadPriority priority);

private:
    void Execute() override;

    ZvSerialDevice& device_;
    const quint32 mask_;
};

class TZvCommBuffer {
public:
    explicit TZvCommBuffer(int size) : data_(size_t(std::max(size, 0))) {}
    int Size() const { return int(data_.size()); }
    int Count() const { return count_; }
    const char* Data() const { return data_.data(); }
    // False when the bytes do not fit.
    bool Append(const char* data, int count);
    void Remove(int count);
    void Clear() { count_ = 0; }

private:
    std::vector<char> data_;
    int count_ = 0;
};

// Moves bytes from the write buffer to the device, so that writing never
// blocks the user-interface thread.
class TZvCommWriteThread : public ZvCommThread {
public:
    TZvCommWriteThread(ZvSerialDevice& device, int writeSize, std::recursive_mutex& writeLock,
                       ZvHandover& handover, ZvDeliver deliver, TZvThreadPriority priority);

    // False when the bytes do not fit into the buffer now.
    bool Append(const char* data, int count);
    // Asks the thread to drop what it is writing; true when it has
    // acknowledged within the timeout.
    bool RequestPurge(std::chrono::milliseconds timeout);
    void ClearBuffer();

private:
    void Execute() override;
    void WriteBuffered();

    ZvSerialDevice& device_;
    std::recursive_mutex& writeLock_;
    TZvCommBuffer buffer_;  // under writeLock_
    bool dataReady_ = false; // under writeLock_, changed together with the buffer
    std::atomic<bool> purgeRequest_{false};
    bool purgeDone_ = false; // under the handover's lock
};
