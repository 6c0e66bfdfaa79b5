#pragma once

#include "fd.h"

#include <string>

namespace kernelinput {

// A pseudo-terminal pair whose slave is raw, as a serial port is once a
// program set it up for a board: bytes pass unchanged both ways, with no
// echo, line editing or signals. Both sides are non-blocking.
struct RawPty {
    Fd master;
    Fd slave;
    std::string slavePath; // /dev/pts/N
};

// Throws std::system_error where no pty can be had.
RawPty openRawPty();

} // namespace kernelinput
