#pragma once

#include "fd.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace kernelinput {

// A device's identity as EVIOCGID gives it.
struct InputIds {
    std::uint16_t bus = 0;
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::uint16_t version = 0;
    bool operator==(const InputIds &) const = default;
};

// An absolute axis as EVIOCGABS gives it: its range, filtering and value.
struct AxisInfo {
    std::int32_t value = 0;
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    std::int32_t fuzz = 0;
    std::int32_t flat = 0;
    std::int32_t resolution = 0;
    bool operator==(const AxisInfo &) const = default;
};

// One event, stamped on CLOCK_MONOTONIC (what clock_gettime gives).
struct InputEvent {
    std::chrono::nanoseconds time{};
    std::uint16_t type = 0;
    std::uint16_t code = 0;
    std::int32_t value = 0;
};

// The events up to a SYN_REPORT, without it; time is the report's.
struct InputFrame {
    std::chrono::nanoseconds time{};
    std::vector<InputEvent> events;

    // The value of the frame's last event of this type and code.
    std::optional<std::int32_t> value(std::uint16_t type, std::uint16_t code) const;
};

// An evdev node, /dev/input/eventN, read as a game reads it: opened
// non-blocking, with its events' times on CLOCK_MONOTONIC.
class EvdevDevice {
public:
    // Throws std::system_error where the node cannot be opened.
    explicit EvdevDevice(std::string path);

    std::string name() const;
    InputIds ids() const;
    // The ABS_* codes of its axes and the KEY_*/BTN_* codes of its keys,
    // in ascending order.
    std::vector<std::uint16_t> axes() const;
    std::vector<std::uint16_t> keys() const;
    AxisInfo axis(std::uint16_t code) const;
    // The keys held down now.
    std::vector<std::uint16_t> pressedKeys() const;

    // The next event, or nothing when none came within timeout. Throws
    // DeviceGone once the device was removed.
    std::optional<InputEvent> readEvent(std::chrono::milliseconds timeout);
    // The next whole frame, or nothing when it was not complete within
    // timeout (its events so far are kept for the next call). Throws
    // std::runtime_error where the kernel dropped events (SYN_DROPPED).
    std::optional<InputFrame> readFrame(std::chrono::milliseconds timeout);

private:
    std::vector<std::uint16_t> bits(unsigned request, std::size_t count) const;

    std::string path_;
    Fd fd_;
    std::vector<InputEvent> partial_;
};

} // namespace kernelinput
