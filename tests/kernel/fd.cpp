#include "fd.h"

#include <cerrno>
#include <ctime>
#include <system_error>

#include <poll.h>
#include <unistd.h>

namespace kernelinput {

using Clock = std::chrono::steady_clock;

Fd &Fd::operator=(Fd &&other) noexcept
{
    if (this != &other) {
        reset();
        fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
}

void Fd::reset()
{
    if (fd_ >= 0)
        ::close(fd_);
    fd_ = -1;
}

std::chrono::nanoseconds monotonicNow()
{
    timespec now{};
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    return std::chrono::seconds(now.tv_sec) + std::chrono::nanoseconds(now.tv_nsec);
}

void throwErrno(const std::string &what)
{
    throw std::system_error(errno, std::generic_category(), what);
}

static bool waitFor(int fd, short events, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
        pollfd polled{fd, events, 0};
        const int ready =
            ::poll(&polled, 1, static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0)));
        if (ready > 0)
            return true;
        if (ready == 0)
            return false;
        if (errno != EINTR)
            throwErrno("poll");
    }
}

bool waitReadable(int fd, std::chrono::milliseconds timeout)
{
    return waitFor(fd, POLLIN, timeout);
}

void writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written >= 0) {
            bytes.remove_prefix(static_cast<std::size_t>(written));
        } else if (errno == EAGAIN) {
            waitFor(fd, POLLOUT, std::chrono::seconds(10));
        } else if (errno != EINTR) {
            throwErrno("write");
        }
    }
}

bool readRecord(int fd, const std::string &path, void *record, std::size_t size, std::chrono::milliseconds timeout)
{
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        const ssize_t got = ::read(fd, record, size);
        if (got == static_cast<ssize_t>(size))
            return true;
        if (got < 0 && errno == ENODEV)
            throw DeviceGone(path + " was removed");
        if (got < 0 && errno != EAGAIN && errno != EINTR)
            throwErrno("read " + path);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0 || !waitReadable(fd, left))
            return false;
    }
}

} // namespace kernelinput
