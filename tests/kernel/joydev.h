#pragma once

#include "fd.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kernelinput {

// One js_event. joydev numbers a device's axes and buttons from 0 in the
// order of their ABS_* and BTN_* codes (axisMap and buttonMap say which
// is which) and scales each axis to -32767..32767.
struct JoystickEvent {
    enum class Kind { Button, Axis };

    // Milliseconds on the kernel's tick count: only differences mean
    // anything, and the count wraps.
    std::uint32_t time = 0;
    Kind kind = Kind::Button;
    std::uint8_t number = 0;
    std::int16_t value = 0;
    // The state when the node was opened, not a change (JS_EVENT_INIT).
    bool initial = false;
};

// A joydev node, /dev/input/jsN, read as an older game reads it.
class JoystickDevice {
public:
    // Throws std::system_error where the node cannot be opened.
    explicit JoystickDevice(std::string path);

    std::string name() const;
    // The ABS_* code of each axis and the BTN_* code of each button.
    std::vector<std::uint8_t> axisMap() const;
    std::vector<std::uint16_t> buttonMap() const;

    // The next event, or nothing when none came within timeout. Throws
    // DeviceGone (fd.h) once the device was removed. The first events
    // after opening are the initial state, one for each button and axis.
    std::optional<JoystickEvent> readEvent(std::chrono::milliseconds timeout);

private:
    std::string path_;
    Fd fd_;
};

} // namespace kernelinput
