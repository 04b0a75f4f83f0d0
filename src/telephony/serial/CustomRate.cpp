// Kept apart: the kernel's termios2 header cannot share a file with the C
// library's <termios.h>.
#include <asm/termbits.h>
#include <cerrno>
#include <sys/ioctl.h>

int zvSetCustomRate(int fd, int baudrate) {
    struct termios2 t {};
    if (::ioctl(fd, TCGETS2, &t) != 0)
        return errno;
    t.c_cflag &= ~tcflag_t(CBAUD | (CBAUD << IBSHIFT));
    t.c_cflag |= BOTHER | (BOTHER << IBSHIFT);
    t.c_ispeed = speed_t(baudrate);
    t.c_ospeed = speed_t(baudrate);
    return ::ioctl(fd, TCSETS2, &t) == 0 ? 0 : errno;
}

int zvOutputRate(int fd) {
    struct termios2 t {};
    return ::ioctl(fd, TCGETS2, &t) == 0 ? int(t.c_ospeed) : -1;
}
