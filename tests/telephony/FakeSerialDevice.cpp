#include "FakeSerialDevice.h"

#include <poll.h>

#include <cstring>

void FakeSerialDevice::setFailures(const Failures& f) {
    std::lock_guard lock(mutex_);
    failures_ = f;
}

void FakeSerialDevice::receive(const QByteArray& bytes) {
    {
        std::lock_guard lock(mutex_);
        rx_ += bytes;
        pending_ |= ceRxChar;
    }
    eventsChanged_.signal();
}

void FakeSerialDevice::raise(quint32 events) {
    {
        std::lock_guard lock(mutex_);
        pending_ |= events;
    }
    eventsChanged_.signal();
}

void FakeSerialDevice::setLineErrors(quint32 errors) {
    std::lock_guard lock(mutex_);
    lineErrors_ = errors;
}

void FakeSerialDevice::holdWrites(bool hold) {
    {
        std::lock_guard lock(mutex_);
        hold_ = hold;
    }
    writesChanged_.signal();
}

QByteArray FakeSerialDevice::written() const {
    std::lock_guard lock(mutex_);
    return tx_;
}

ZvLineSettings FakeSerialDevice::settings() const {
    std::lock_guard lock(mutex_);
    return settings_;
}

quint32 FakeSerialDevice::eventMask() const {
    std::lock_guard lock(mutex_);
    return mask_;
}

QString FakeSerialDevice::openedPath() const {
    std::lock_guard lock(mutex_);
    return path_;
}

QList<QPair<bool, bool>> FakeSerialDevice::purges() const {
    std::lock_guard lock(mutex_);
    return purges_;
}

int FakeSerialDevice::open(const QString& path) {
    std::lock_guard lock(mutex_);
    path_ = path;
    open_ = failures_.open == 0;
    return failures_.open;
}

void FakeSerialDevice::close() {
    std::lock_guard lock(mutex_);
    closeSteps_.append(QStringLiteral("close"));
    open_ = false;
}

void FakeSerialDevice::lowerModemLines() {
    std::lock_guard lock(mutex_);
    closeSteps_.append(QStringLiteral("lower lines"));
}

void FakeSerialDevice::drainOutput(int timeoutMs) {
    std::lock_guard lock(mutex_);
    closeSteps_.append(timeoutMs > 0 ? QStringLiteral("drain") : QStringLiteral("drop output"));
}

QStringList FakeSerialDevice::closeSteps() const {
    std::lock_guard lock(mutex_);
    return closeSteps_;
}

bool FakeSerialDevice::isOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

int FakeSerialDevice::configure(const ZvLineSettings& settings) {
    std::lock_guard lock(mutex_);
    if (!failures_.configure)
        settings_ = settings;
    return failures_.configure;
}

int FakeSerialDevice::setQueueSizes(int, int) {
    std::lock_guard lock(mutex_);
    return failures_.queueSizes;
}

int FakeSerialDevice::setTimeouts() {
    std::lock_guard lock(mutex_);
    return failures_.timeouts;
}

int FakeSerialDevice::setEventMask(quint32 events) {
    std::lock_guard lock(mutex_);
    mask_ = events;
    return failures_.eventMask;
}

qint64 FakeSerialDevice::read(char* data, qint64 count) {
    std::lock_guard lock(mutex_);
    const qint64 n = std::min<qint64>(count, rx_.size());
    std::memcpy(data, rx_.constData(), size_t(n));
    rx_.remove(0, n);
    return n;
}

qint64 FakeSerialDevice::write(const char* data, qint64 count) {
    std::lock_guard lock(mutex_);
    if (failures_.write)
        return -failures_.write;
    if (hold_)
        return 0;
    tx_.append(data, count);
    return count;
}

int FakeSerialDevice::purge(bool input, bool output) {
    std::lock_guard lock(mutex_);
    purges_.append({input, output});
    if (input)
        rx_.clear();
    return 0;
}

int FakeSerialDevice::inQueue(int& count) {
    std::lock_guard lock(mutex_);
    count = int(rx_.size());
    return 0;
}

int FakeSerialDevice::statistics(TZvCommStatus& status) {
    std::lock_guard lock(mutex_);
    status = TZvCommStatus{lineErrors_, int(rx_.size()), 0};
    lineErrors_ = 0;
    return 0;
}

bool FakeSerialDevice::waitReadable(int) {
    std::lock_guard lock(mutex_);
    return !rx_.isEmpty();
}

bool FakeSerialDevice::waitForWake(int wakeFd, ZvWakeFd& changed) {
    pollfd fds[2] = {{wakeFd, POLLIN, 0}, {changed.fd(), POLLIN, 0}};
    ::poll(fds, 2, -1);
    if (fds[0].revents)
        return true;
    changed.drain();
    return false;
}

ZvSerialDevice::Wait FakeSerialDevice::waitForEvents(quint32 mask, int wakeFd) {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (const quint32 events = pending_ & mask) {
                pending_ &= ~events;
                return Wait{events, false};
            }
        }
        if (waitForWake(wakeFd, eventsChanged_))
            return Wait{};
    }
}

bool FakeSerialDevice::waitWritable(int wakeFd) {
    for (;;) {
        {
            std::lock_guard lock(mutex_);
            if (!hold_)
                return true;
        }
        if (waitForWake(wakeFd, writesChanged_))
            return false;
    }
}
