// joystick-gamepad in a real kernel (tests/kernel/boot-guest), against a
// board on a pty that answers with the values each test sets, read back as
// a game reads a controller: through evdev and joydev.

#include "childprocess.h"
#include "evdev.h"
#include "inputdevices.h"
#include "joydev.h"
#include "scriptedboard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include <linux/input.h>
#include <unistd.h>

using namespace kernelinput;
using namespace std::chrono_literals;

namespace {

// Generous: the guest runs under emulation, beside other builds.
constexpr auto patience = 10s;

constexpr auto defaultName = "TORVENK Serial Joystick";
constexpr std::array<std::uint16_t, 4> axisCodes{ABS_X, ABS_Y, ABS_RX, ABS_RY};

// The left button's code and the right one's, as --buttons lays them out.
struct ButtonCodes {
    std::uint16_t left;
    std::uint16_t right;
};
constexpr ButtonCodes faceButtons{BTN_SOUTH, BTN_EAST};
constexpr ButtonCodes stickButtons{BTN_THUMBL, BTN_THUMBR};

// What the pad shows: A0 to A3 as ABS_X, ABS_Y, ABS_RX and ABS_RY, and the
// board's left (A5) and right (A4) buttons held.
struct PadState {
    std::array<std::int32_t, 4> axes{};
    bool left = false;
    bool right = false;
    bool operator==(const PadState &) const = default;
};

void PrintTo(const PadState &state, std::ostream *out)
{
    *out << "axes " << state.axes[0] << ", " << state.axes[1] << ", " << state.axes[2] << ", " << state.axes[3]
         << (state.left ? ", left held" : "") << (state.right ? ", right held" : "");
}

const PadState centred{};

// What is left of the time to `deadline`, none once it has passed.
std::chrono::milliseconds timeLeft(std::chrono::steady_clock::time_point deadline)
{
    using namespace std::chrono;
    return std::max(duration_cast<milliseconds>(deadline - steady_clock::now()), 0ms);
}

// The pad through its evdev node, as a game reads it: the state on opening
// from the kernel, then each frame applied to it.
class EvdevPad {
public:
    EvdevPad(const std::string &path, ButtonCodes buttons)
        : device_(path)
        , buttons_(buttons)
    {
        for (std::size_t axis = 0; axis < axisCodes.size(); ++axis)
            shown_.axes[axis] = device_.axis(axisCodes[axis]).value;
        const std::vector<std::uint16_t> pressed = device_.pressedKeys();
        shown_.left = std::ranges::count(pressed, buttons.left) > 0;
        shown_.right = std::ranges::count(pressed, buttons.right) > 0;
    }

    EvdevDevice &device() { return device_; }
    const PadState &shown() const { return shown_; }

    // Reads frames until one leaves the pad showing `expected`; that frame,
    // or nothing when none did within the patience.
    std::optional<InputFrame> waitFor(const PadState &expected)
    {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (std::optional<InputFrame> frame = device_.readFrame(timeLeft(deadline))) {
            apply(*frame);
            if (shown_ == expected)
                return frame;
        }
        return std::nullopt;
    }

    // Whether it shows `expected`, at once or after frames: for the state the
    // board started with, which may have come before the node was opened.
    bool comesTo(const PadState &expected) { return shown_ == expected || waitFor(expected); }

private:
    void apply(const InputFrame &frame)
    {
        for (const InputEvent &event : frame.events) {
            const auto axis = std::ranges::find(axisCodes, event.code);
            if (event.type == EV_ABS && axis != axisCodes.end())
                shown_.axes[static_cast<std::size_t>(axis - axisCodes.begin())] = event.value;
            else if (event.type == EV_KEY && event.code == buttons_.left)
                shown_.left = event.value != 0;
            else if (event.type == EV_KEY && event.code == buttons_.right)
                shown_.right = event.value != 0;
            else
                ADD_FAILURE() << "an event the pad does not have: type " << event.type << ", code " << event.code;
        }
    }

    EvdevDevice device_;
    ButtonCodes buttons_;
    PadState shown_;
};

// The pad through its joydev node: axes 0 to 3 in the order of their codes,
// button 0 the left, button 1 the right (the left's code is the lower in
// either layout).
class JoydevPad {
public:
    explicit JoydevPad(const std::string &path)
        : device_(path)
    {
        for (int initial = 0; initial < 6; ++initial) {
            const std::optional<JoystickEvent> event = device_.readEvent(patience);
            if (!event || !event->initial)
                throw std::runtime_error(path + " did not give its state on opening");
            apply(*event);
        }
    }

    // Whether it shows `expected`, at once or after events.
    bool comesTo(const PadState &expected)
    {
        const auto deadline = std::chrono::steady_clock::now() + patience;
        while (shown_ != expected) {
            const std::optional<JoystickEvent> event = device_.readEvent(timeLeft(deadline));
            if (!event)
                return false;
            apply(*event);
        }
        return true;
    }

    const PadState &shown() const { return shown_; }

private:
    void apply(const JoystickEvent &event)
    {
        if (event.kind == JoystickEvent::Kind::Axis && event.number < 4)
            shown_.axes[event.number] = event.value;
        else if (event.kind == JoystickEvent::Kind::Button && event.number < 2)
            (event.number == 0 ? shown_.left : shown_.right) = event.value != 0;
        else
            ADD_FAILURE() << "an axis or a button the pad does not have: " << int(event.number);
    }

    JoystickDevice device_;
    PadState shown_;
};

// The program, with the board on `port` and `options` after it.
std::unique_ptr<ChildProcess> startGamepad(const std::string &port, std::vector<std::string> options = {})
{
    std::vector<std::string> arguments{JOYSTICK_GAMEPAD, "--port", port};
    arguments.insert(arguments.end(), options.begin(), options.end());
    return std::make_unique<ChildProcess>(arguments);
}

class Gamepad : public testing::Test {
protected:
    void SetUp() override
    {
        if (::access("/dev/uinput", W_OK) != 0)
            GTEST_SKIP() << "no writable /dev/uinput here: these tests run in a real kernel, "
                            "through tests/kernel/boot-guest";
    }

    // Waits for the pad of that name with both its nodes; throws a failure
    // that names what the program said where there is none.
    InputDeviceNodes padNamed(const std::string &name, ChildProcess &gamepad)
    {
        const std::optional<InputDeviceNodes> nodes = waitForInputDevice(name, patience);
        if (!nodes)
            throw std::runtime_error("no input device \"" + name + "\"; joystick-gamepad said:\n"
                                     + gamepad.errorOutput());
        return *nodes;
    }

    // Ends the program as the system does, and waits for its pad to go.
    void terminate(ChildProcess &gamepad, const std::string &name)
    {
        gamepad.signal(SIGTERM);
        EXPECT_EQ(gamepad.waitForExit(patience), 0) << gamepad.errorOutput();
        EXPECT_TRUE(waitForInputDeviceGone(name, patience));
    }

    // A file in a folder of the test's own, removed with it.
    std::string file(const std::string &name) const { return folder_ + "/" + name; }

    // Points the symlink `name` at `target` in one step, as udev moves a
    // /dev/serial/by-id link.
    std::string link(const std::string &name, const std::string &target) const
    {
        std::filesystem::create_symlink(target, file(name + ".new"));
        std::filesystem::rename(file(name + ".new"), file(name));
        return file(name);
    }

    void TearDown() override { std::filesystem::remove_all(folder_); }

    const std::string folder_ = [] {
        std::string pattern = "/tmp/gamepad-test.XXXXXX";
        if (!::mkdtemp(pattern.data()))
            throwErrno("mkdtemp");
        return pattern;
    }();
};

// The calibration joystick-stats --json would write for four sticks alike:
// each covers 140 to 740 and rests at 540 (not the middle of either range)
// with a dead zone of 10 either side. Below the centre the dead zone's edge
// is 530 and full scale is reached at 152, 3 % of that side's 400 counts
// in from the end; above, 550 and 734, 3 % of 200 in; halfway to full
// scale is 341 on one side and 642 on the other. The map's finer points
// are the AxisMap tests'.
constexpr auto calibrationJson = R"({
  "reports": 1000,
  "axes": {
    "A0": {"min": 140, "max": 740, "centre": 540, "dead_zone": 10},
    "A1": {"min": 140, "max": 740, "centre": 540, "dead_zone": 10},
    "A2": {"min": 140, "max": 740, "centre": 540, "dead_zone": 10},
    "A3": {"min": 140, "max": 740, "centre": 540, "dead_zone": 10}
  }
})";

struct Step {
    const char *what;
    BoardValues board;
    PadState pad;
};

// Each step shows something other than the one before, so that its frame
// is told apart from none.
const Step calibratedSteps[] = {
    {"every axis at an end, both buttons held",
     {{152, 734, 140, 740}, true, true},
     {{-32767, 32767, -32767, 32767}, true, true}},
    {"at rest on the centre, buttons released", {{540, 540, 540, 540}, false, false}, centred},
    {"halfway on each side: the two sides' slopes, the left button held",
     {{341, 642, 642, 341}, false, true},
     {{-16384, 16384, 16384, -16384}, true, false}},
    {"within the dead zone, the right button held", {{531, 549, 535, 545}, true, false}, {{0, 0, 0, 0}, false, true}},
    {"beyond the calibrated range",
     {{0, 1023, 100, 1000}, false, false},
     {{-32767, 32767, -32767, 32767}, false, false}},
};

} // namespace

TEST_F(Gamepad, IsAJoystickWithTheBoardsSticksAndButtonsThroughItsCalibration)
{
    const std::string calibration = file("calibration.json");
    std::ofstream(calibration) << calibrationJson;
    ScriptedBoard board;
    board.setValues(BoardValues{{540, 540, 540, 540}});
    const auto gamepad = startGamepad(board.path(), {"--calibration", calibration});
    const InputDeviceNodes nodes = padNamed(defaultName, *gamepad);
    const std::string made = "game controller: " + nodes.event + " and " + nodes.joystick + ", " + defaultName;
    EXPECT_TRUE(gamepad->waitForErrorOutput(made, patience)) << gamepad->errorOutput();

    EvdevPad pad(nodes.event, faceButtons);
    EvdevDevice &device = pad.device();
    EXPECT_EQ(device.name(), defaultName);
    EXPECT_EQ(device.ids(), (InputIds{BUS_VIRTUAL, 0, 0, 1}));
    EXPECT_EQ(device.axes(), (std::vector<std::uint16_t>{ABS_X, ABS_Y, ABS_RX, ABS_RY}));
    for (const std::uint16_t code : axisCodes)
        EXPECT_EQ(device.axis(code), (AxisInfo{0, -32767, 32767, 0, 0, 0})) << "axis " << code;
    EXPECT_EQ(device.keys(), (std::vector<std::uint16_t>{BTN_SOUTH, BTN_EAST}));
    EXPECT_EQ(pad.shown(), centred) << "resting at the calibrated centre";

    JoydevPad joystick(nodes.joystick);
    EXPECT_EQ(joystick.shown(), centred);

    bool first = true;
    for (const Step &step : calibratedSteps) {
        SCOPED_TRACE(step.what);
        board.setValues(step.board);
        const std::optional<InputFrame> frame = pad.waitFor(step.pad);
        ASSERT_TRUE(frame) << "evdev shows " << testing::PrintToString(pad.shown());
        // A report is one frame: all six changes of the first step together.
        if (std::exchange(first, false)) {
            EXPECT_EQ(frame->events.size(), 6u);
        }
        EXPECT_TRUE(joystick.comesTo(step.pad)) << "joydev shows " << testing::PrintToString(joystick.shown());
    }
    terminate(*gamepad, defaultName);
}

// Through a symlink, as /dev/serial/by-id names a board: lost when its pty
// hangs up, found again behind the same link, centred while it is silent,
// held against a second program, and gone with the program.
TEST_F(Gamepad, CentresWhenTheBoardIsLostOrSilentAndKeepsTheDeviceUntilTerminated)
{
    const std::string name = "TORVENK Serial Joystick lost and found";
    const PadState deflected{{-32767, 32767, 32767, -32767}, true, true};
    auto board = std::make_unique<ScriptedBoard>();
    board->setValues(BoardValues{{0, 1023, 1023, 0}, true, true});
    const std::string port = link("board", board->path());
    const auto gamepad = startGamepad(port, {"--name", name});
    const InputDeviceNodes nodes = padNamed(name, *gamepad);
    EvdevPad pad(nodes.event, faceButtons);
    ASSERT_TRUE(pad.comesTo(deflected)) << testing::PrintToString(pad.shown());

    // Lost: centred and released at once, and the device stays for the
    // game to keep its binding: the node open gives the frames after.
    const auto hungUp = board->hangUp();
    std::optional<InputFrame> frame = pad.waitFor(centred);
    ASSERT_TRUE(frame) << testing::PrintToString(pad.shown());
    EXPECT_LT(frame->time - hungUp, 1s);
    EXPECT_TRUE(
        gamepad->waitForErrorOutput("game controller: the board is lost: sticks centred, buttons released", patience))
        << gamepad->errorOutput();

    // Back behind the same link, with other values.
    board = std::make_unique<ScriptedBoard>();
    board->setValues(BoardValues{{1023, 0, 0, 1023}, false, true});
    link("board", board->path());
    const PadState back{{32767, -32767, -32767, 32767}, true, false};
    ASSERT_TRUE(pad.waitFor(back)) << testing::PrintToString(pad.shown()) << "\n" << gamepad->errorOutput();
    EXPECT_TRUE(gamepad->waitForErrorOutput("game controller: the board is back", patience));

    // Silent but there: centred half a second after the last report, not
    // before; values again with the next answer.
    board->setAnswering(false);
    frame = pad.waitFor(centred);
    ASSERT_TRUE(frame) << testing::PrintToString(pad.shown());
    const auto lastAnswer = board->answers().back().written;
    EXPECT_GE(frame->time - lastAnswer, 490ms);
    EXPECT_LT(frame->time - lastAnswer, 1s);
    board->setAnswering(true);
    ASSERT_TRUE(pad.waitFor(back)) << testing::PrintToString(pad.shown());

    // A second program finds the port taken and says by whom.
    const std::string other = "TORVENK Serial Joystick second";
    const auto second = startGamepad(port, {"--name", other});
    const std::string holder = "busy, held by joystick-gamepad (process " + std::to_string(gamepad->pid()) + ")";
    EXPECT_TRUE(second->waitForErrorOutput(holder, patience)) << second->errorOutput();
    terminate(*second, other);

    terminate(*gamepad, name);
    EXPECT_THROW(pad.device().readFrame(patience), DeviceGone);
}

// Against a board that answers at once, --rate bounds the requests: none
// closer than a tenth of a second makes at most ten in any second. The
// window is 20 ms short of a second, for the board's own wake-ups; a pace
// a request too fast (1/11 s) would still put eleven in it.
TEST_F(Gamepad, AsksNoMoreOftenThanItsRateAndLaysOutTheButtonsAsStickClicks)
{
    const std::string name = "TORVENK Serial Joystick at ten a second";
    ScriptedBoard board;
    board.setValues(BoardValues{{0, 1023, 0, 1023}, false, true});
    const auto gamepad = startGamepad(board.path(), {"--name", name, "--rate", "10", "--buttons", "sticks"});
    const InputDeviceNodes nodes = padNamed(name, *gamepad);
    EvdevPad pad(nodes.event, stickButtons);
    EXPECT_EQ(pad.device().keys(), (std::vector<std::uint16_t>{BTN_THUMBL, BTN_THUMBR}));
    const PadState held{{-32767, 32767, -32767, 32767}, true, false};
    ASSERT_TRUE(pad.comesTo(held)) << testing::PrintToString(pad.shown());

    constexpr std::size_t requests = 25;
    ASSERT_TRUE(board.waitForAnswers(requests, 3 * patience)) << board.answers().size() << " answers";
    const std::vector<std::chrono::nanoseconds> times = board.requestTimes();
    std::size_t most = 0;
    for (auto start = times.begin(); start != times.end(); ++start) {
        const auto end = std::lower_bound(start, times.end(), *start + 980ms);
        most = std::max(most, static_cast<std::size_t>(end - start));
    }
    EXPECT_LE(most, 10u);
    terminate(*gamepad, name);
}

// Polled after each answer, from a board paced as a 9600-baud UART sends
// (ten bits a byte): the line carries 960 bytes a second, and an answer of
// four three-digit sticks and two buttons with "\r\n" endings is 44 of
// them, 45.8 ms of the line, 21.8 reports a second. The request's own five
// bytes are taken as arriving at once, as the line's limit counts the
// answers alone. What the program leaves of the line is the time from an
// answer's last byte to the next request; its median, so that a busy
// machine's late wake-ups now and then do not count against it, must
// leave the line busy 95 % of the time.
TEST_F(Gamepad, PolledAfterEachAnswerTakesWhatA9600BaudLineCarries)
{
    const std::string name = "TORVENK Serial Joystick at 9600 baud";
    const BoardValues values{{540, 540, 540, 540}};
    ScriptedBoard board(ScriptedBoard::Options{.baud = 9600});
    board.setValues(values);
    const auto gamepad = startGamepad(board.path(), {"--name", name});
    padNamed(name, *gamepad);

    const std::size_t answerBytes = ScriptedBoard::answerText(values).size();
    ASSERT_EQ(answerBytes, 44u);
    const std::chrono::duration<double, std::milli> lineTime(static_cast<double>(answerBytes) * 10 / 9.6);
    const std::size_t first = board.answers().size() + 5;
    constexpr std::size_t counted = 48;
    ASSERT_TRUE(board.waitForAnswers(first + counted + 1, 3 * patience));
    const std::vector<ScriptedBoard::Answer> answers = board.answers();
    const std::vector<std::chrono::nanoseconds> requests = board.requestTimes();
    std::vector<std::chrono::duration<double, std::milli>> turnarounds;
    for (std::size_t answer = first; answer < first + counted; ++answer) {
        const auto next = std::upper_bound(requests.begin(), requests.end(), answers[answer].written);
        ASSERT_NE(next, requests.end());
        turnarounds.emplace_back(*next - answers[answer].written);
    }
    std::ranges::nth_element(turnarounds, turnarounds.begin() + counted / 2);
    const auto median = turnarounds[counted / 2];
    const double busy = lineTime / (lineTime + median);

    // What the board sent, its own late wake-ups included, for the figures.
    const std::chrono::duration<double> span = answers[first + counted].written - answers[first].written;
    const double perSecond = counted / span.count();
    const double lineLimit = 1000 / lineTime.count();
    std::cout << "polled after each answer at 9600 baud: " << perSecond << " reports a second, "
              << 100 * perSecond / lineLimit << " % of the line's " << lineLimit << "; the line idle a median "
              << median.count() << " ms after each answer, busy " << 100 * busy << " % of the time\n";
    EXPECT_GE(busy, 0.95);
    terminate(*gamepad, name);
}

// Without /dev/uinput (no uinput module) the program says so in one line
// and stops before it looks for the board. Where there is one it is hidden
// from the program in a mount namespace of its own with an empty /dev,
// which takes root: so in the guest, and on a machine with no uinput
// without; elsewhere the test is skipped.
TEST(GamepadWithoutUinput, SaysSoInOneLineAndExitsWithStatus2)
{
    std::vector<std::string> arguments{JOYSTICK_GAMEPAD, "--port", "/dev/ttyS9"};
    if (::access("/dev/uinput", F_OK) == 0) {
        if (::geteuid() != 0)
            GTEST_SKIP() << "this machine has /dev/uinput, which only root can hide from the program";
        arguments.insert(arguments.begin(), {"/usr/bin/unshare", "--mount", "/bin/sh", "-c",
                                             "mount -t tmpfs tmpfs /dev && exec \"$@\"", "sh"});
    }
    ChildProcess gamepad(arguments);
    EXPECT_EQ(gamepad.waitForExit(patience), 2);
    EXPECT_EQ(gamepad.errorOutput(),
              "joystick-gamepad: no /dev/uinput: load the uinput module (sudo modprobe uinput)\n");
}
