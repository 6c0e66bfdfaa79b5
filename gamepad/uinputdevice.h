#pragma once

#include "gamepad/virtualpad.h"

#include <QString>

#include <memory>
#include <variant>

// The virtual joystick made through uinput: two sticks (ABS_X and ABS_Y,
// ABS_RX and ABS_RY, each -32767 to 32767 with no fuzz and no flat, since
// the calibration is already in the values) and two buttons.
//
// Opening /dev/uinput is apart from making the device, so that a program
// can tell at its start that it could not (and stop before it looks for
// the board), and make the device only once the board is there. The device
// goes when the object goes; if the program is killed, the kernel removes
// it as the descriptor closes.
class UinputDevice final : public PadOutput {
public:
    static constexpr auto kPath = "/dev/uinput";

    // Opens `path`, or says in one line why it cannot and how to mend it.
    static std::variant<std::unique_ptr<UinputDevice>, QString> open(const char *path = kPath);

    ~UinputDevice() override;
    UinputDevice(const UinputDevice &) = delete;
    UinputDevice &operator=(const UinputDevice &) = delete;

    std::optional<QString> create(const PadIdentity &identity, ButtonLayout layout) override;
    QString location() const override { return location_; }
    std::optional<QString> send(const PadFrame &frame) override;

private:
    explicit UinputDevice(int descriptor)
        : descriptor_(descriptor)
    {
    }

    QString findLocation() const;

    int descriptor_;
    bool created_ = false;
    QString location_;
};
