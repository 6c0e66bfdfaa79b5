#include "pty.h"

#include <cstdlib>

#include <fcntl.h>
#include <termios.h>

namespace kernelinput {

RawPty openRawPty()
{
    RawPty pty;
    pty.master = Fd(::posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!pty.master)
        throwErrno("posix_openpt");
    if (::grantpt(pty.master.get()) < 0 || ::unlockpt(pty.master.get()) < 0)
        throwErrno("unlocking the pty");
    const char *path = ::ptsname(pty.master.get());
    if (!path)
        throwErrno("ptsname");
    pty.slavePath = path;
    pty.slave = Fd(::open(path, O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC));
    if (!pty.slave)
        throwErrno("open " + pty.slavePath);
    termios settings{};
    if (::tcgetattr(pty.slave.get(), &settings) < 0)
        throwErrno("tcgetattr " + pty.slavePath);
    ::cfmakeraw(&settings);
    if (::tcsetattr(pty.slave.get(), TCSANOW, &settings) < 0)
        throwErrno("tcsetattr " + pty.slavePath);
    return pty;
}

} // namespace kernelinput
