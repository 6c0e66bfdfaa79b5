/* Preloaded into a serial terminal so that it accepts a pseudo-terminal as a
 * serial port: a pty has no modem lines, so reading or setting them fails,
 * and terminals that set DTR and RTS on open give up. Here those requests
 * succeed; every other ioctl goes to the C library unchanged.
 * Built by bench/compare-cutecom. */
#define _GNU_SOURCE
#include <dlfcn.h>
#include <stdarg.h>
#include <sys/ioctl.h>

typedef int (*ioctl_function)(int, unsigned long, ...);

int ioctl(int fd, unsigned long request, ...)
{
    static ioctl_function real_ioctl;
    va_list args;
    void *argument;

    va_start(args, request);
    argument = va_arg(args, void *);
    va_end(args);

    if (!real_ioctl)
        real_ioctl = (ioctl_function)dlsym(RTLD_NEXT, "ioctl");
    if (real_ioctl(fd, request, argument) == 0)
        return 0;
    if (request != TIOCMGET && request != TIOCMSET && request != TIOCMBIS && request != TIOCMBIC)
        return -1;
    if (request == TIOCMGET && argument)
        *(int *)argument = TIOCM_DTR | TIOCM_RTS;
    return 0;
}
