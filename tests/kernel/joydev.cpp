#include "joydev.h"

#include <fcntl.h>
#include <linux/joystick.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace kernelinput {

using namespace std::chrono;

// How many axes (JSIOCGAXES) or buttons (JSIOCGBUTTONS) the node has.
static std::size_t countOf(int fd, unsigned long request, const std::string &what)
{
    std::uint8_t count = 0;
    if (::ioctl(fd, request, &count) < 0)
        throwErrno(what);
    return count;
}

JoystickDevice::JoystickDevice(std::string path)
    : path_(std::move(path))
    , fd_(::open(path_.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC))
{
    if (!fd_)
        throwErrno("open " + path_);
}

std::string JoystickDevice::name() const
{
    char name[256] = {};
    if (::ioctl(fd_.get(), JSIOCGNAME(sizeof name - 1), name) < 0)
        throwErrno("JSIOCGNAME on " + path_);
    return name;
}

std::vector<std::uint8_t> JoystickDevice::axisMap() const
{
    std::vector<std::uint8_t> map(ABS_CNT);
    if (::ioctl(fd_.get(), JSIOCGAXMAP, map.data()) < 0)
        throwErrno("JSIOCGAXMAP on " + path_);
    map.resize(countOf(fd_.get(), JSIOCGAXES, "JSIOCGAXES on " + path_));
    return map;
}

std::vector<std::uint16_t> JoystickDevice::buttonMap() const
{
    std::vector<std::uint16_t> map(KEY_MAX - BTN_MISC + 1);
    if (::ioctl(fd_.get(), JSIOCGBTNMAP, map.data()) < 0)
        throwErrno("JSIOCGBTNMAP on " + path_);
    map.resize(countOf(fd_.get(), JSIOCGBUTTONS, "JSIOCGBUTTONS on " + path_));
    return map;
}

std::optional<JoystickEvent> JoystickDevice::readEvent(milliseconds timeout)
{
    js_event event{};
    if (!readRecord(fd_.get(), path_, &event, sizeof event, timeout))
        return std::nullopt;
    const auto kind = (event.type & JS_EVENT_AXIS) ? JoystickEvent::Kind::Axis : JoystickEvent::Kind::Button;
    return JoystickEvent{event.time, kind, event.number, event.value, (event.type & JS_EVENT_INIT) != 0};
}

} // namespace kernelinput
