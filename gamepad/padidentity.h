#pragma once

#include <QByteArray>
#include <QString>

#include <linux/input.h>

#include <array>
#include <cstdint>
#include <optional>

// What the virtual joystick is and how it shows its inputs: its identity
// as the kernel gives it to games, the evdev codes of its sticks and
// buttons, and the SDL mapping line that names them.

// The board's two buttons as the device sends them. With the face buttons
// SDL takes the device for a gamepad by itself (it has BTN_SOUTH), browsers
// give it the standard layout and Wine and Steam see a pad. The stick
// clicks are true to the hardware, which has a button under each stick.
enum class ButtonLayout { Face, Sticks };

// The codes of the left stick's button (A5) and the right one's (A4).
struct ButtonCodes {
    uint16_t left;
    uint16_t right;
};
constexpr ButtonCodes buttonCodes(ButtonLayout layout)
{
    return layout == ButtonLayout::Face ? ButtonCodes{BTN_SOUTH, BTN_EAST} : ButtonCodes{BTN_THUMBL, BTN_THUMBR};
}

// A0 and A1 are the left stick, A2 and A3 the right; Y is positive
// downwards, as the board sends it and as Linux has it.
inline constexpr std::array<uint16_t, 4> kAxisCodes{ABS_X, ABS_Y, ABS_RX, ABS_RY};

struct PadIdentity {
    // Says what it is, and has none of the words that make SDL or games
    // pass a device over.
    static constexpr auto kDefaultName = "TORVENK Serial Joystick";

    // UTF-8.
    QByteArray name = kDefaultName;
    // A virtual device, with no vendor's or product's ids borrowed.
    uint16_t bus = BUS_VIRTUAL;
    uint16_t vendor = 0;
    uint16_t product = 0;
    uint16_t version = 1;
};

// Why `name` cannot name the device, in one line; nothing when it can.
std::optional<QString> padNameRefusal(const QByteArray &name);

// SDL2's GUID of the device as its Linux joystick driver builds it, in 32
// hexadecimal digits.
QByteArray sdlGuid(const PadIdentity &identity);

// The line for SDL_GAMECONTROLLERCONFIG (or a game's controller database)
// that maps the device as a gamepad: its GUID, its name, the buttons and
// axes, and the platform, with the comma SDL's own lines end with.
QByteArray sdlMapping(const PadIdentity &identity, ButtonLayout layout);
