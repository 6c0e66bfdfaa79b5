#include "evdev.h"

#include <climits>
#include <ctime>

#include <fcntl.h>
#include <linux/input.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kernelinput {

using namespace std::chrono;

std::optional<std::int32_t> InputFrame::value(std::uint16_t type, std::uint16_t code) const
{
    std::optional<std::int32_t> found;
    for (const InputEvent &event : events) {
        if (event.type == type && event.code == code)
            found = event.value;
    }
    return found;
}

EvdevDevice::EvdevDevice(std::string path)
    : path_(std::move(path))
    , fd_(::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))
{
    if (!fd_)
        throwErrno("open " + path_);
    // The default is CLOCK_REALTIME, which moves with the wall clock.
    int clock = CLOCK_MONOTONIC;
    if (::ioctl(fd_.get(), EVIOCSCLOCKID, &clock) < 0)
        throwErrno("EVIOCSCLOCKID on " + path_);
}

std::string EvdevDevice::name() const
{
    char name[256] = {};
    if (::ioctl(fd_.get(), EVIOCGNAME(sizeof name - 1), name) < 0)
        throwErrno("EVIOCGNAME on " + path_);
    return name;
}

InputIds EvdevDevice::ids() const
{
    input_id id{};
    if (::ioctl(fd_.get(), EVIOCGID, &id) < 0)
        throwErrno("EVIOCGID on " + path_);
    return {id.bustype, id.vendor, id.product, id.version};
}

// The set bits of a kernel bit mask of count bits, which the kernel lays
// out in unsigned longs.
std::vector<std::uint16_t> EvdevDevice::bits(unsigned request, std::size_t count) const
{
    constexpr std::size_t longBits = sizeof(unsigned long) * CHAR_BIT;
    std::vector<unsigned long> mask((count + longBits - 1) / longBits);
    if (::ioctl(fd_.get(), request, mask.data()) < 0)
        throwErrno("reading a bit mask of " + path_);
    std::vector<std::uint16_t> set;
    for (std::size_t bit = 0; bit < count; ++bit) {
        if ((mask[bit / longBits] >> (bit % longBits)) & 1)
            set.push_back(static_cast<std::uint16_t>(bit));
    }
    return set;
}

std::vector<std::uint16_t> EvdevDevice::axes() const
{
    return bits(EVIOCGBIT(EV_ABS, (ABS_CNT + CHAR_BIT - 1) / CHAR_BIT), ABS_CNT);
}

std::vector<std::uint16_t> EvdevDevice::keys() const
{
    return bits(EVIOCGBIT(EV_KEY, (KEY_CNT + CHAR_BIT - 1) / CHAR_BIT), KEY_CNT);
}

std::vector<std::uint16_t> EvdevDevice::pressedKeys() const
{
    return bits(EVIOCGKEY((KEY_CNT + CHAR_BIT - 1) / CHAR_BIT), KEY_CNT);
}

AxisInfo EvdevDevice::axis(std::uint16_t code) const
{
    input_absinfo info{};
    if (::ioctl(fd_.get(), EVIOCGABS(code), &info) < 0)
        throwErrno("EVIOCGABS(" + std::to_string(code) + ") on " + path_);
    return {info.value, info.minimum, info.maximum, info.fuzz, info.flat, info.resolution};
}

std::optional<InputEvent> EvdevDevice::readEvent(milliseconds timeout)
{
    input_event event{};
    if (!readRecord(fd_.get(), path_, &event, sizeof event, timeout))
        return std::nullopt;
    return InputEvent{seconds(event.input_event_sec) + microseconds(event.input_event_usec), event.type, event.code,
                      event.value};
}

std::optional<InputFrame> EvdevDevice::readFrame(milliseconds timeout)
{
    const auto deadline = steady_clock::now() + timeout;
    for (;;) {
        const auto left = duration_cast<milliseconds>(deadline - steady_clock::now());
        const std::optional<InputEvent> event = readEvent(std::max(left, milliseconds(0)));
        if (!event)
            return std::nullopt;
        if (event->type == EV_SYN && event->code == SYN_DROPPED) {
            partial_.clear();
            throw std::runtime_error(path_ + ": the kernel dropped events (SYN_DROPPED)");
        }
        if (event->type == EV_SYN && event->code == SYN_REPORT)
            return InputFrame{event->time, std::exchange(partial_, {})};
        partial_.push_back(*event);
    }
}

} // namespace kernelinput
