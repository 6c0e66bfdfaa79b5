#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kernelinput {

// An input device as /sys/class/input shows it, with the nodes of the
// handlers bound to it.
struct InputDeviceNodes
{
    std::string name;     // its name, as EVIOCGNAME gives it
    std::string sysfs;    // /sys/class/input/inputN
    std::string event;    // /dev/input/eventM, empty while it has none
    std::string joystick; // /dev/input/jsK, empty where joydev took none
};

// Every input device, in the order the kernel numbered them. A handler's
// node counts once it is in /dev.
std::vector<InputDeviceNodes> inputDevices();

// The first device of that name, if there is one.
std::optional<InputDeviceNodes> findInputDevice(std::string_view name);

// Waits up to timeout for a device of that name with its event node, and
// its joystick node too when joystick is true; watches the kernel's device
// announcements, looking at /sys/class/input again at each.
std::optional<InputDeviceNodes> waitForInputDevice(std::string_view name, std::chrono::milliseconds timeout,
                                                   bool joystick = true);

// Waits up to timeout until no device of that name is left; whether none is.
bool waitForInputDeviceGone(std::string_view name, std::chrono::milliseconds timeout);

} // namespace kernelinput
