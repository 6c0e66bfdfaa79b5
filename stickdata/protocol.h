#pragma once

#include <array>

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

} // namespace protocol
