/* A test-only LD_PRELOAD library for Wine: answers the modem-line ioctls that a pseudo-terminal
 * does not have (TIOCMGET, TIOCGICOUNT, TIOCSERGETLSR), as a serial port with its lines up and no
 * errors would. Wine's wait for serial events gives up when TIOCMGET fails, so without this no
 * receive event is ever reported for a COM port linked to a pseudo-terminal.
 * Build: gcc -shared -fPIC -o pty-modem-shim.so pty-modem-shim.c -ldl */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <errno.h>
#include <linux/serial.h>
#include <stdarg.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

static int is_pty(int fd) {
    struct stat st;
    /* Unix 98 pseudo-terminal slaves: majors 136 to 143 */
    return fstat(fd, &st) == 0 && S_ISCHR(st.st_mode) && major(st.st_rdev) >= 136 &&
           major(st.st_rdev) <= 143;
}

int ioctl(int fd, unsigned long request, ...) {
    static int (*real)(int, unsigned long, ...);
    va_list args;
    void *arg;
    int result;
    if (!real)
        real = (int (*)(int, unsigned long, ...))dlsym(RTLD_NEXT, "ioctl");
    va_start(args, request);
    arg = va_arg(args, void *);
    va_end(args);
    result = real(fd, request, arg);
    if (result == 0 || !arg || !is_pty(fd))
        return result;
    switch (request) {
    case TIOCMGET:
        *(int *)arg = TIOCM_DTR | TIOCM_RTS | TIOCM_CTS | TIOCM_DSR | TIOCM_CAR;
        return 0;
    case TIOCGICOUNT:
        memset(arg, 0, sizeof(struct serial_icounter_struct));
        return 0;
    case TIOCSERGETLSR:
        *(unsigned int *)arg = TIOCSER_TEMT;
        return 0;
    default:
        errno = errno ? errno : EINVAL;
        return result;
    }
}
