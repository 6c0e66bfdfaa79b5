#pragma once

#include "window/vbcolor.h"

#include <array>
#include <cstdint>

// The line protocol spoken with the board.
namespace protocol {

// A line containing the keyword identifies the board.
constexpr auto kKeyword = "JOYSTICK";
// What the program sends to ask for a report.
constexpr auto kRequestLine = "DATA\n";
// Ends every line in both directions.
constexpr char kLineFeed = '\n';

// The six channel tags, in the order they are tested.
constexpr std::array<const char *, 6> kTags{"A0", "A1", "A2", "A3", "A4", "A5"};
// The button value meaning "pressed" (the buttons are active-low).
constexpr auto kButtonActive = "0";

// How a stick is drawn, in drawing units of its picture box.
constexpr float kStickRadius = 128;
constexpr uint32_t kButtonActiveColor = vbcolor::kBlue;
constexpr uint32_t kButtonIdleColor = vbcolor::kRed;

} // namespace protocol
