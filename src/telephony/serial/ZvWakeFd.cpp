#include "telephony/serial/ZvWakeFd.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <system_error>
#include <unistd.h>

ZvWakeFd::ZvWakeFd() : fd_(::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)) {
    if (fd_ < 0)
        throw std::system_error(errno, std::generic_category(), "eventfd");
}

ZvWakeFd::~ZvWakeFd() { ::close(fd_); }

void ZvWakeFd::signal() {
    const std::uint64_t one = 1;
    [[maybe_unused]] const ssize_t n = ::write(fd_, &one, sizeof one);
}

void ZvWakeFd::drain() {
    std::uint64_t count;
    [[maybe_unused]] const ssize_t n = ::read(fd_, &count, sizeof count);
}

void ZvWakeFd::wait() {
    pollfd p{fd_, POLLIN, 0};
    while (::poll(&p, 1, -1) < 0 && errno == EINTR) {
    }
    drain();
}
