#pragma once

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

namespace kernelinput {

// An input device as /sys/class/input shows it, with the nodes of the
// handlers bound to it.
struct InputDeviceNodes {
    std::string name;     // its name, as EVIOCGNAME gives it
    std::string event;    // /dev/input/eventM, empty while it has none
    std::string joystick; // /dev/input/jsK, empty where joydev took none
};

// A device of that name, if there is one.
std::optional<InputDeviceNodes> findInputDevice(std::string_view name);

// Waits up to timeout for a device of that name with its event and
// joystick nodes; watches the kernel's device announcements, looking at
// /sys/class/input again at each.
std::optional<InputDeviceNodes> waitForInputDevice(std::string_view name, std::chrono::milliseconds timeout);

// Waits up to timeout until no device of that name is left; whether none is.
bool waitForInputDeviceGone(std::string_view name, std::chrono::milliseconds timeout);

} // namespace kernelinput
