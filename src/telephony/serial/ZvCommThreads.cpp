#include "telephony/serial/ZvCommThreads.h"

#include <cstring>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// Linux schedules ordinary threads by nice value only; raising it needs
// privileges, so a refused change is left as it is.
void applyPriority(pid_t tid, TZvThreadPriority priority) {
    static const int niceValues[] = {19, 10, 5, 0, -5, -10, -20};
    ::setpriority(PRIO_PROCESS, id_t(tid), niceValues[priority]);
}

} // namespace

ZvCommThread::ZvCommThread(ZvHandover& handover, ZvHandover::Source source, ZvDeliver deliver,
                           TZvThreadPriority priority)
    : handover_(handover), source_(source), deliver_(std::move(deliver)), priority_(priority) {}

ZvCommThread::~ZvCommThread() {
    if (thread_.joinable())
        Stop();
}

void ZvCommThread::Start() {
    thread_ = std::thread([this] {
        tid_ = ::gettid();
        applyPriority(tid_, priority_);
        Execute();
        handover_.update([this] { finished_ = true; });
    });
}

void ZvCommThread::Stop() {
    terminating_ = true;
    wake_.signal();
    handover_.serveUntil(source_, [this] { return finished_; });
    thread_.join();
}

void ZvCommThread::SetPriority(TZvThreadPriority priority) {
    priority_ = priority;
    if (const pid_t tid = tid_)
        applyPriority(tid, priority);
}

void ZvCommThread::Deliver(quint32 events) {
    // The delivery may outlive this thread object (Close from inside it),
    // so it holds its own copy of what it needs.
    handover_.call(source_, [deliver = deliver_, events] { deliver(events); });
}

TZvCommEventThread::TZvCommEventThread(ZvSerialDevice& device, quint32 mask, ZvHandover& handover,
                                       ZvDeliver deliver, TZvThreadPriority priority)
    : ZvCommThread(handover, ZvHandover::EventThread, std::move(deliver), priority),
      device_(device), mask_(mask) {}

void TZvCommEventThread::Execute() {
    while (!terminating_) {
        const ZvSerialDevice::Wait wait = device_.waitForEvents(mask_, wake_.fd());
        if (terminating_)
            break;
        if (wait.events)
            Deliver(wait.events);
        // A device that hung up has nothing more to report.
        if (wait.hangUp)
            break;
    }
}

bool TZvCommBuffer::Append(const char* data, int count) {
    if (count < 0 || count > Size() - count_)
        return false;
    std::memcpy(data_.data() + count_, data, size_t(count));
    count_ += count;
    return true;
}

void TZvCommBuffer::Remove(int count) {
    std::memmove(data_.data(), data_.data() + count, size_t(count_ - count));
    count_ -= count;
}

TZvCommWriteThread::TZvCommWriteThread(ZvSerialDevice& device, int writeSize,
                                       std::recursive_mutex& writeLock, ZvHandover& handover,
                                       ZvDeliver deliver, TZvThreadPriority priority)
    : ZvCommThread(handover, ZvHandover::WriteThread, std::move(deliver), priority),
      device_(device), writeLock_(writeLock), buffer_(writeSize) {}

bool TZvCommWriteThread::Append(const char* data, int count) {
    {
        std::lock_guard lock(writeLock_);
        if (!buffer_.Append(data, count))
            return false;
        dataReady_ = true;
    }
    wake_.signal();
    return true;
}

bool TZvCommWriteThread::RequestPurge(std::chrono::milliseconds timeout) {
    handover_.update([this] { purgeDone_ = false; });
    purgeRequest_ = true;
    wake_.signal();
    return handover_.waitUntil(source_, [this] { return purgeDone_; }, timeout);
}

void TZvCommWriteThread::ClearBuffer() {
    std::lock_guard lock(writeLock_);
    buffer_.Clear();
    dataReady_ = false;
}

void TZvCommWriteThread::Execute() {
    while (!terminating_) {
        if (purgeRequest_.exchange(false)) {
            handover_.update([this] { purgeDone_ = true; });
            continue;
        }
        bool ready;
        {
            std::lock_guard lock(writeLock_);
            ready = dataReady_;
        }
        if (ready)
            WriteBuffered();
        else
            wake_.wait();
    }
}

void TZvCommWriteThread::WriteBuffered() {
    quint32 event = 0;
    bool full = false;
    {
        std::lock_guard lock(writeLock_);
        const qint64 written = device_.write(buffer_.Data(), buffer_.Count());
        if (written > 0) {
            buffer_.Remove(int(written));
            if (buffer_.Count() == 0) {
                dataReady_ = false;
                event = ceTxEmpty;
            }
        } else if (written == 0) {
            full = true;
        } else {
            // Trying again at once would spin on a failed device; the bytes
            // stay and go with the next Write.
            dataReady_ = false;
            event = ceError;
        }
    }
    if (full && !device_.waitWritable(wake_.fd()))
        wake_.drain();
    if (event)
        Deliver(event);
}
