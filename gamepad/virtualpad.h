#pragma once

#include "gamepad/padidentity.h"
#include "seriallink/link.h"
#include "seriallink/linkclock.h"
#include "stickdata/axismap.h"
#include "stickdata/boardline.h"
#include "stickdata/boardmodel.h"
#include "stickdata/calibrationfile.h"

#include <QString>

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

// One input event: its type (EV_ABS or EV_KEY), code and value.
struct PadEvent {
    uint16_t type;
    uint16_t code;
    int32_t value;

    bool operator==(const PadEvent &) const = default;
};
// The events of one report, sent together and closed by a SYN_REPORT.
using PadFrame = std::vector<PadEvent>;

// Where the pad's frames go: the uinput device, or a test's record of them.
class PadOutput {
public:
    virtual ~PadOutput() = default;

    // Makes the device, with `layout`'s buttons; why it could not, in a few
    // words.
    virtual std::optional<QString> create(const PadIdentity &identity, ButtonLayout layout) = 0;
    // Where the device made lives, for a person: "/dev/input/event5 and
    // /dev/input/js0".
    virtual QString location() const = 0;
    // Writes the frame and the SYN_REPORT that closes it; why it could not.
    virtual std::optional<QString> send(const PadFrame &frame) = 0;
};

struct PadSettings {
    PadIdentity identity;
    ButtonLayout layout = ButtonLayout::Face;
    // The board's own; each axis maps linearly without one.
    std::optional<BoardCalibration> calibration;
    // A0 to A3.
    std::array<bool, BoardModel::kAxisCount> inverted{};
};

// The board as a virtual joystick: each completed report becomes a frame
// of the values that changed since the last, through the calibration.
//
// The device is made when the board is first identified, and kept through
// losses and reconnections so that a game keeps its binding; it goes with
// the pad. The pad fails safe: when the board is lost, or no report has
// come for kWatchdog, the sticks go to the centre and the buttons are
// released at once, so that a frozen stick never stays deflected (a robot
// or a drone would keep going). Values flow again with the next report.
class VirtualPad {
public:
    // Two and a half of the board's 200 ms polls: a report lost now and
    // then is no loss, a board gone silent is.
    static constexpr std::chrono::milliseconds kWatchdog{500};

    VirtualPad(PadSettings settings, std::unique_ptr<PadOutput> output,
               const std::shared_ptr<LinkClock> &clock = LinkClock::eventLoop());

    // Makes the device, the first time.
    void boardIdentified();
    // Shows the report `line` completed, if whole: a value the board never
    // sent would stand as a deflection.
    void take(const BoardLine &line);
    void showReport(const Report &report);
    void boardLost();
    // The link's state: the board identified or back when polling, lost
    // otherwise.
    void followLink(LinkState state);

    // "off" until the device is made, then where it lives and its name,
    // or why it could not be made; and why the last frame was not sent.
    QString status() const;
    bool calibrated() const { return settings_.calibration.has_value(); }
    bool failedToMake() const { return !made_ && problem_.has_value(); }

private:
    // What the device shows: the axes A0 to A3, and the left and right
    // buttons pressed.
    struct Shown {
        std::array<int32_t, BoardModel::kAxisCount> axes{};
        std::array<bool, 2> pressed{};
    };

    Shown mapped(const Report &report) const;
    void show(const Shown &next);
    void centre() { show({}); }

    PadSettings settings_;
    std::array<AxisMap, BoardModel::kAxisCount> maps_;
    std::unique_ptr<PadOutput> output_;
    bool made_ = false;
    QString location_;
    std::optional<QString> problem_;
    Shown shown_;
    // Last, so that it goes first.
    std::unique_ptr<LinkTimer> watchdog_;
};
