#include "telephony/serial/TermiosDevice.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {

// How often line-event counters and a still-filled input queue are looked at.
constexpr int kSampleMs = 20;

speed_t speedFor(int baudrate) {
    static const std::pair<int, speed_t> table[] = {
        {50, B50},           {75, B75},           {110, B110},         {134, B134},
        {150, B150},         {200, B200},         {300, B300},         {600, B600},
        {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
        {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
        {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
        {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
        {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
        {3500000, B3500000}, {4000000, B4000000}};
    for (const auto& [rate, speed] : table)
        if (rate == baudrate)
            return speed;
    return B0;
}

int lastError() { return errno; }

} // namespace

bool zvHasStandardRate(int baudrate) { return speedFor(baudrate) != B0; }

// Linux has no DSR output flow, DSR sensitivity, continue-after-XOFF,
// XON/XOFF limits, error-character replacement or event/end-of-file
// characters on a raw line; those settings are accepted and left out.
// CTS output flow and RTS handshake are one switch there (CRTSCTS).
int zvLineTermios(termios& t, const ZvLineSettings& s) {
    t = termios{};
    if (s.baudrate <= 0)
        return EINVAL;
    const speed_t standard = speedFor(s.baudrate);
    const speed_t speed = standard == B0 ? B38400 : standard;
    cfsetispeed(&t, speed);
    cfsetospeed(&t, speed);
    // HUPCL: dropping DTR on the last close makes the modem hang up.
    t.c_cflag |= CREAD | CLOCAL | HUPCL;
    switch (s.databits) {
    case 5: t.c_cflag |= CS5; break;
    case 6: t.c_cflag |= CS6; break;
    case 7: t.c_cflag |= CS7; break;
    case 8: t.c_cflag |= CS8; break;
    default: return EINVAL;
    }
    switch (s.stopbits) {
    case sb1: break;
    case sb2: t.c_cflag |= CSTOPB; break;
    case sb15: return EINVAL;
    }
    switch (s.parity) {
    case paNone: break;
    case paOdd: t.c_cflag |= PARENB | PARODD; break;
    case paEven: t.c_cflag |= PARENB; break;
    case paMark: t.c_cflag |= PARENB | CMSPAR | PARODD; break;
    case paSpace: t.c_cflag |= PARENB | CMSPAR; break;
    }
    if (s.options & coParityCheck)
        t.c_iflag |= INPCK;
    if (s.outCtsFlow || s.controlRts == rtsHandshake)
        t.c_cflag |= CRTSCTS;
    if (s.xonXoffOut)
        t.c_iflag |= IXON;
    if (s.xonXoffIn)
        t.c_iflag |= IXOFF;
    t.c_cc[VSTART] = s.xonChar;
    t.c_cc[VSTOP] = s.xoffChar;
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    return 0;
}

TermiosDevice::~TermiosDevice() { close(); }

int TermiosDevice::open(const QString& path) {
    fd_ = ::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd_ < 0)
        return lastError();
    // TIOCEXCL does not stop root; the advisory lock stops every other
    // port, in this process or another.
    int error = 0;
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0)
        error = errno == EWOULDBLOCK ? EBUSY : lastError();
    else if (::ioctl(fd_, TIOCEXCL) != 0 || ::tcgetattr(fd_, &saved_) != 0)
        error = lastError();
    if (error) {
        ::close(fd_);
        fd_ = -1;
        return error;
    }
    countersOk_ = ::ioctl(fd_, TIOCGICOUNT, &statCounters_) == 0;
    waitCounters_ = statCounters_;
    consumed_ = 0;
    resync_ = false;
    rxSeen_ = 0;
    return 0;
}

void TermiosDevice::close() {
    if (fd_ < 0)
        return;
    ::tcsetattr(fd_, TCSANOW, &saved_);
    ::ioctl(fd_, TIOCNXCL);
    ::close(fd_);
    fd_ = -1;
}

int TermiosDevice::configure(const ZvLineSettings& settings) {
    termios t;
    if (const int error = zvLineTermios(t, settings))
        return error;
    if (::tcsetattr(fd_, TCSANOW, &t) != 0)
        return lastError();
    if (!zvHasStandardRate(settings.baudrate))
        if (const int error = zvSetCustomRate(fd_, settings.baudrate))
            return error;
    nullStrip_ = settings.options.testFlag(coNullStrip);
    if (const int error = setModemLine(TIOCM_DTR, settings.controlDtr != dtrDisabled))
        return error;
    return setModemLine(TIOCM_RTS, settings.controlRts != rtsDisabled);
}

void TermiosDevice::lowerModemLines() {
    setModemLine(TIOCM_DTR, false);
    setModemLine(TIOCM_RTS, false);
}

void TermiosDevice::drainOutput(int timeoutMs) {
    // tcdrain() would wait for ever behind a modem that holds CTS low.
    for (int waited = 0;; waited += kSampleMs) {
        int queued = 0;
        if (::ioctl(fd_, TIOCOUTQ, &queued) != 0 || queued == 0)
            return;
        if (waited >= timeoutMs)
            break;
        ::usleep(kSampleMs * 1000);
    }
    ::tcflush(fd_, TCOFLUSH);
}

int TermiosDevice::setModemLine(int line, bool on) {
    if (::ioctl(fd_, on ? TIOCMBIS : TIOCMBIC, &line) == 0)
        return 0;
    // A pseudo-terminal has no modem-control lines.
    const int error = lastError();
    return error == ENOTTY || error == EINVAL ? 0 : error;
}

int TermiosDevice::setQueueSizes(int readSize, int writeSize) {
    // The driver sizes its own queues; only nonsense is refused.
    return readSize > 0 && writeSize > 0 ? 0 : EINVAL;
}

int TermiosDevice::setTimeouts() {
    termios t;
    if (::tcgetattr(fd_, &t) != 0)
        return lastError();
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
    return ::tcsetattr(fd_, TCSANOW, &t) == 0 ? 0 : lastError();
}

int TermiosDevice::setEventMask(quint32) {
    // Each wait is given the mask; there is nothing to set in the driver.
    return 0;
}

qint64 TermiosDevice::read(char* data, qint64 count) {
    const ssize_t n = ::read(fd_, data, size_t(count));
    if (n < 0)
        return errno == EAGAIN ? 0 : -lastError();
    consumed_ += quint64(n);
    if (!nullStrip_)
        return n;
    return std::remove(data, data + n, '\0') - data;
}

qint64 TermiosDevice::write(const char* data, qint64 count) {
    const ssize_t n = ::write(fd_, data, size_t(count));
    if (n < 0)
        return errno == EAGAIN ? 0 : -lastError();
    return n;
}

int TermiosDevice::purge(bool input, bool output) {
    const int queue = input && output ? TCIOFLUSH : input ? TCIFLUSH : TCOFLUSH;
    if ((input || output) && ::tcflush(fd_, queue) != 0)
        return lastError();
    if (input)
        resync_ = true;
    return 0;
}

int TermiosDevice::inQueue(int& count) {
    return ::ioctl(fd_, FIONREAD, &count) == 0 ? 0 : lastError();
}

int TermiosDevice::statistics(TZvCommStatus& status) {
    status = TZvCommStatus{};
    if (::ioctl(fd_, FIONREAD, &status.inQueue) != 0 ||
        ::ioctl(fd_, TIOCOUTQ, &status.outQueue) != 0)
        return lastError();
    serial_icounter_struct now{};
    if (countersOk_ && ::ioctl(fd_, TIOCGICOUNT, &now) == 0) {
        const serial_icounter_struct& was = statCounters_;
        if (now.buf_overrun != was.buf_overrun)
            status.errors |= leRxOver;
        if (now.overrun != was.overrun)
            status.errors |= leOverrun;
        if (now.parity != was.parity)
            status.errors |= leRxParity;
        if (now.frame != was.frame)
            status.errors |= leFrame;
        if (now.brk != was.brk)
            status.errors |= leBreak;
        statCounters_ = now;
    }
    return 0;
}

bool TermiosDevice::waitReadable(int timeoutMs) {
    pollfd fd{fd_, POLLIN, 0};
    return ::poll(&fd, 1, timeoutMs) > 0 && (fd.revents & POLLIN);
}

quint32 TermiosDevice::counterEvents() {
    serial_icounter_struct now{};
    if (::ioctl(fd_, TIOCGICOUNT, &now) != 0)
        return 0;
    const serial_icounter_struct& was = waitCounters_;
    quint32 events = 0;
    if (now.cts != was.cts)
        events |= ceCts;
    if (now.dsr != was.dsr)
        events |= ceDsr;
    if (now.dcd != was.dcd)
        events |= ceRlsd;
    if (now.rng != was.rng)
        events |= ceRing;
    if (now.brk != was.brk)
        events |= ceBreak;
    if (now.frame != was.frame || now.overrun != was.overrun || now.parity != was.parity ||
        now.buf_overrun != was.buf_overrun)
        events |= ceError;
    waitCounters_ = now;
    return events;
}

ZvSerialDevice::Wait TermiosDevice::waitForEvents(quint32 mask, int wakeFd) {
    constexpr quint32 counted = ceCts | ceDsr | ceRlsd | ceRing | ceBreak | ceError;
    const bool wantRx = mask & ceRxChar;
    const bool wantCounters = countersOk_ && (mask & counted);
    for (;;) {
        Wait result;
        int waiting = 0;
        if (wantRx && ::ioctl(fd_, FIONREAD, &waiting) == 0) {
            if (resync_.exchange(false))
                rxSeen_ = consumed_;
            const quint64 arrived = consumed_ + quint64(waiting);
            if (arrived > rxSeen_)
                result.events |= ceRxChar;
            rxSeen_ = arrived;
        }
        if (wantCounters)
            result.events |= counterEvents() & mask;
        if (result.events)
            return result;

        pollfd fds[2] = {{wakeFd, POLLIN, 0}, {fd_, short(wantRx && waiting == 0 ? POLLIN : 0), 0}};
        const int timeout = wantCounters || waiting > 0 ? kSampleMs : -1;
        if (::poll(fds, 2, timeout) < 0 && errno != EINTR)
            return result;
        if (fds[0].revents)
            return result;
        if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL)) {
            result.hangUp = true;
            return result;
        }
    }
}

bool TermiosDevice::waitWritable(int wakeFd) {
    pollfd fds[2] = {{wakeFd, POLLIN, 0}, {fd_, POLLOUT, 0}};
    while (::poll(fds, 2, -1) < 0 && errno == EINTR) {
    }
    return fds[0].revents == 0;
}
