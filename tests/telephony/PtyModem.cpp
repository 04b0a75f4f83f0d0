#include "PtyModem.h"

#include <pty.h>
#include <termios.h>
#include <unistd.h>

PtyModem::PtyModem() {
    char name[256] = {};
    termios raw{};
    cfmakeraw(&raw);
    cfsetspeed(&raw, B9600);
    if (::openpty(&master_, &slave_, name, &raw, nullptr) != 0)
        qFatal("openpty failed");
    path_ = QString::fromLocal8Bit(name);
    notifier_ = std::make_unique<QSocketNotifier>(master_, QSocketNotifier::Read);
    QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(),
                     [this] { readable(); });
}

PtyModem::~PtyModem() {
    notifier_.reset();
    ::close(slave_);
    ::close(master_);
}

void PtyModem::answer(const QByteArray& prefix, const QByteArray& reply) {
    for (auto& a : answers_) {
        if (a.first == prefix) {
            a.second = reply;
            return;
        }
    }
    answers_.append({prefix, reply});
}

void PtyModem::send(const QByteArray& bytes) {
    [[maybe_unused]] const ssize_t n = ::write(master_, bytes.constData(), size_t(bytes.size()));
}

void PtyModem::readable() {
    char buffer[512];
    const ssize_t n = ::read(master_, buffer, sizeof buffer);
    if (n <= 0)
        return;
    const QByteArray bytes(buffer, n);
    received_ += bytes;
    if (echo_)
        send(bytes);
    for (const char c : bytes) {
        if (c != '\r') {
            line_ += c;
            continue;
        }
        for (const auto& [prefix, reply] : answers_) {
            if (line_.startsWith(prefix)) {
                send("\r\n" + reply + "\r\n");
                break;
            }
        }
        line_.clear();
    }
}
