// What the kernel tests stand on, in a real kernel (tests/kernel/boot-guest),
// proved apart from the game controller so that a broken harness fails
// here first: a uinput joystick made here is found by name, read back
// through evdev and joydev, and goes away when destroyed.

#include "evdev.h"
#include "inputdevices.h"
#include "joydev.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

using namespace kernelinput;
using namespace std::chrono_literals;

namespace {

// Generous: the guest runs under emulation, beside other builds.
constexpr auto patience = 10s;

constexpr InputIds testIds{BUS_VIRTUAL, 0x1209, 0x5a11, 0x0102};
constexpr auto testName = "Kernel test stick";

// Each axis as the test device declares it: every field of AxisInfo
// differs from its neighbours somewhere, so that a field read into the
// wrong place shows.
const std::pair<std::uint16_t, AxisInfo> declaredAxes[] = {
    {ABS_X, {0, -32767, 32767, 0, 0, 0}},
    {ABS_Y, {100, -32767, 32767, 0, 0, 0}},
    {ABS_RX, {0, -32767, 32767, 16, 128, 0}},
    {ABS_RY, {0, -1000, 1000, 16, 128, 3}},
};

void check(int result, const char *what)
{
    if (result < 0)
        throwErrno(what);
}

// A two-stick, two-button joystick made through /dev/uinput; destroyed
// with its owner.
class UinputJoystick {
public:
    UinputJoystick()
        : fd_(::open("/dev/uinput", O_WRONLY | O_NONBLOCK | O_CLOEXEC))
    {
        if (!fd_)
            throwErrno("open /dev/uinput");
        check(::ioctl(fd_.get(), UI_SET_EVBIT, EV_KEY), "UI_SET_EVBIT EV_KEY");
        for (const int key : {BTN_SOUTH, BTN_EAST})
            check(::ioctl(fd_.get(), UI_SET_KEYBIT, key), "UI_SET_KEYBIT");
        check(::ioctl(fd_.get(), UI_SET_EVBIT, EV_ABS), "UI_SET_EVBIT EV_ABS");
        for (const auto &[code, axis] : declaredAxes) {
            uinput_abs_setup setup{code,
                                   {axis.value, axis.minimum, axis.maximum, axis.fuzz, axis.flat, axis.resolution}};
            check(::ioctl(fd_.get(), UI_ABS_SETUP, &setup), "UI_ABS_SETUP");
        }
        uinput_setup setup{};
        setup.id = {testIds.bus, testIds.vendor, testIds.product, testIds.version};
        std::strncpy(setup.name, testName, UINPUT_MAX_NAME_SIZE - 1);
        check(::ioctl(fd_.get(), UI_DEV_SETUP, &setup), "UI_DEV_SETUP");
        check(::ioctl(fd_.get(), UI_DEV_CREATE), "UI_DEV_CREATE");
    }
    ~UinputJoystick() { ::ioctl(fd_.get(), UI_DEV_DESTROY); }

    // Writes the events and a SYN_REPORT after them, in one write.
    void sendFrame(std::vector<input_event> events)
    {
        events.push_back(input_event{{}, EV_SYN, SYN_REPORT, 0});
        writeAll(fd_.get(), {reinterpret_cast<const char *>(events.data()), events.size() * sizeof(input_event)});
    }

private:
    Fd fd_;
};

using JoystickChange = std::tuple<JoystickEvent::Kind, int, int, bool>;

// The js events that come within the patience, up to count, each as its
// kind, number, value and whether it is of the state on opening.
std::vector<JoystickChange> readJoystickEvents(JoystickDevice &joystick, std::size_t count)
{
    std::vector<JoystickChange> events;
    while (events.size() < count) {
        const std::optional<JoystickEvent> event = joystick.readEvent(patience);
        if (!event)
            break;
        events.emplace_back(event->kind, event->number, event->value, event->initial);
    }
    return events;
}

} // namespace

TEST(Uinput, AJoystickMadeHereIsReadBackThroughEvdevAndJoydevAndGoesAwayWhenDestroyed)
{
    if (::access("/dev/uinput", W_OK) != 0)
        GTEST_SKIP() << "no writable /dev/uinput here: the kernel tests run through tests/kernel/boot-guest";
    std::optional<UinputJoystick> stick(std::in_place);
    const std::optional<InputDeviceNodes> nodes = waitForInputDevice(testName, patience);
    ASSERT_TRUE(nodes) << "no input device named \"" << testName << "\" with its event and joystick nodes";

    EvdevDevice device(nodes->event);
    EXPECT_EQ(device.name(), testName);
    EXPECT_EQ(device.ids(), testIds);
    for (const auto &[code, info] : declaredAxes)
        EXPECT_EQ(device.axis(code), info) << "axis " << code;
    EXPECT_EQ(device.keys(), (std::vector<std::uint16_t>{BTN_SOUTH, BTN_EAST}));

    JoystickDevice joystick(nodes->joystick);
    EXPECT_EQ(joystick.name(), testName);
    EXPECT_EQ(joystick.axisMap(), (std::vector<std::uint8_t>{ABS_X, ABS_Y, ABS_RX, ABS_RY}));
    EXPECT_EQ(joystick.buttonMap(), (std::vector<std::uint16_t>{BTN_SOUTH, BTN_EAST}));
    // The state at opening, buttons first; joydev scales ABS_Y's 100 over
    // its full range unchanged and the other axes rest at 0.
    using enum JoystickEvent::Kind;
    const std::vector<JoystickChange> atOpening{{Button, 0, 0, true}, {Button, 1, 0, true}, {Axis, 0, 0, true},
                                                {Axis, 1, 100, true}, {Axis, 2, 0, true},   {Axis, 3, 0, true}};
    EXPECT_EQ(readJoystickEvents(joystick, 6), atOpening);

    // A frame comes back whole, stamped on CLOCK_MONOTONIC, and through
    // joydev as its changes.
    const auto before = monotonicNow();
    stick->sendFrame({{{}, EV_ABS, ABS_X, 12345}, {{}, EV_ABS, ABS_RX, -32767}, {{}, EV_KEY, BTN_SOUTH, 1}});
    const std::optional<InputFrame> frame = device.readFrame(patience);
    const auto after = monotonicNow();
    ASSERT_TRUE(frame);
    ASSERT_EQ(frame->events.size(), 3u);
    EXPECT_EQ(frame->value(EV_ABS, ABS_X), 12345);
    EXPECT_EQ(frame->value(EV_ABS, ABS_RX), -32767);
    EXPECT_EQ(frame->value(EV_KEY, BTN_SOUTH), 1);
    EXPECT_GE(frame->time, before);
    EXPECT_LE(frame->time, after);
    EXPECT_EQ(device.pressedKeys(), (std::vector<std::uint16_t>{BTN_SOUTH}));
    EXPECT_EQ(readJoystickEvents(joystick, 3),
              (std::vector<JoystickChange>{{Axis, 0, 12345, false}, {Axis, 2, -32767, false}, {Button, 0, 1, false}}));

    stick.reset();
    EXPECT_TRUE(waitForInputDeviceGone(testName, patience));
    EXPECT_THROW(device.readFrame(patience), DeviceGone);
    EXPECT_THROW(joystick.readEvent(patience), DeviceGone);
    EXPECT_FALSE(waitForInputDevice(testName, 300ms));
}
