#pragma once

#include <chrono>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>

namespace kernelinput {

// An open file descriptor, closed with its owner.
class Fd {
public:
    Fd() = default;
    explicit Fd(int fd)
        : fd_(fd)
    {
    }
    Fd(Fd &&other) noexcept
        : fd_(std::exchange(other.fd_, -1))
    {
    }
    Fd &operator=(Fd &&other) noexcept;
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;
    ~Fd() { reset(); }

    int get() const { return fd_; }
    explicit operator bool() const { return fd_ >= 0; }
    void reset();

private:
    int fd_ = -1;
};

// Thrown by a read from a device that was removed while open.
class DeviceGone : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The time on CLOCK_MONOTONIC, the clock EvdevDevice has the kernel stamp
// events with.
std::chrono::nanoseconds monotonicNow();

// Throws std::system_error for errno, saying what failed.
[[noreturn]] void throwErrno(const std::string &what);

// Waits up to timeout for fd to be readable, or to report a hang-up or an
// error, which the next read then gives; false when the time ran out.
bool waitReadable(int fd, std::chrono::milliseconds timeout);

// Writes all of bytes to fd, which may be non-blocking, waiting while it is
// full.
void writeAll(int fd, std::string_view bytes);

// Reads one record of `size` bytes (an input_event, a js_event) from the
// non-blocking device node fd at `path`, waiting up to timeout for it;
// false when none came. Throws DeviceGone once the device was removed.
bool readRecord(int fd, const std::string &path, void *record, std::size_t size, std::chrono::milliseconds timeout);

} // namespace kernelinput
