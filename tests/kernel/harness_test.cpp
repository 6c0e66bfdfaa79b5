// What the kernel tests stand on, in a real kernel (tests/kernel/boot-guest):
// a uinput joystick made here is found by name and read back through evdev
// and joydev, and goes away when destroyed; a pty's slave can be made raw.

#include "evdev.h"
#include "inputdevices.h"
#include "joydev.h"
#include "pty.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <system_error>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

using namespace kernelinput;
using namespace std::chrono_literals;

namespace {

// Generous: the guest runs under emulation, beside other builds.
constexpr auto patience = 10s;

constexpr InputIds testIds{BUS_VIRTUAL, 0x1209, 0x5a11, 0x0102};

// Each axis as the test device declares it. The left stick filters
// nothing; the right one has fuzz and a dead zone, so that each field
// read back is told apart from its neighbours.
struct DeclaredAxis
{
    std::uint16_t code;
    AxisInfo info;
};
const DeclaredAxis declaredAxes[] = {
    {ABS_X, {0, -32767, 32767, 0, 0, 0}},
    {ABS_Y, {100, -32767, 32767, 0, 0, 0}},
    {ABS_RX, {0, -32767, 32767, 16, 128, 0}},
    {ABS_RY, {0, -32767, 32767, 16, 128, 0}},
};

void check(int result, const char *what)
{
    if (result < 0)
        throwErrno(what);
}

// A two-stick, two-button joystick made through /dev/uinput.
class UinputJoystick
{
public:
    explicit UinputJoystick(const std::string &name) : fd_(::open("/dev/uinput", O_WRONLY | O_NONBLOCK | O_CLOEXEC))
    {
        if (!fd_)
            throwErrno("open /dev/uinput");
        check(::ioctl(fd_.get(), UI_SET_EVBIT, EV_KEY), "UI_SET_EVBIT EV_KEY");
        check(::ioctl(fd_.get(), UI_SET_KEYBIT, BTN_SOUTH), "UI_SET_KEYBIT");
        check(::ioctl(fd_.get(), UI_SET_KEYBIT, BTN_EAST), "UI_SET_KEYBIT");
        check(::ioctl(fd_.get(), UI_SET_EVBIT, EV_ABS), "UI_SET_EVBIT EV_ABS");
        for (const DeclaredAxis &axis : declaredAxes) {
            uinput_abs_setup setup{};
            setup.code = axis.code;
            setup.absinfo = {axis.info.value, axis.info.minimum, axis.info.maximum,
                             axis.info.fuzz,  axis.info.flat,    axis.info.resolution};
            check(::ioctl(fd_.get(), UI_ABS_SETUP, &setup), "UI_ABS_SETUP");
        }
        uinput_setup setup{};
        setup.id = {testIds.bus, testIds.vendor, testIds.product, testIds.version};
        std::strncpy(setup.name, name.c_str(), UINPUT_MAX_NAME_SIZE - 1);
        check(::ioctl(fd_.get(), UI_DEV_SETUP, &setup), "UI_DEV_SETUP");
        check(::ioctl(fd_.get(), UI_DEV_CREATE), "UI_DEV_CREATE");
    }

    // Writes the events and a SYN_REPORT after them, in one write.
    void sendFrame(std::initializer_list<std::tuple<std::uint16_t, std::uint16_t, std::int32_t>> changes)
    {
        std::vector<input_event> events;
        for (const auto &[type, code, value] : changes)
            events.push_back(input_event{{}, type, code, value});
        events.push_back(input_event{{}, EV_SYN, SYN_REPORT, 0});
        writeAll(fd_.get(), {reinterpret_cast<const char *>(events.data()), events.size() * sizeof(input_event)});
    }

    void destroy()
    {
        if (fd_)
            check(::ioctl(fd_.get(), UI_DEV_DESTROY), "UI_DEV_DESTROY");
        fd_.reset();
    }

    ~UinputJoystick()
    {
        if (fd_)
            ::ioctl(fd_.get(), UI_DEV_DESTROY);
    }

private:
    Fd fd_;
};

class Uinput : public testing::Test
{
protected:
    void SetUp() override
    {
        if (::access("/dev/uinput", W_OK) != 0)
            GTEST_SKIP() << "no writable /dev/uinput here: these tests run in a real kernel, through tests/kernel/boot-guest";
        name_ = std::string("Kernel test stick ") + testing::UnitTest::GetInstance()->current_test_info()->name();
        name_.resize(std::min<std::size_t>(name_.size(), UINPUT_MAX_NAME_SIZE - 1));
        stick_.emplace(name_);
        const std::optional<InputDeviceNodes> found = waitForInputDevice(name_, patience);
        ASSERT_TRUE(found) << "no input device named \"" << name_ << "\" with its event and joystick nodes";
        nodes_ = *found;
    }

    std::string name_;
    std::optional<UinputJoystick> stick_;
    InputDeviceNodes nodes_;
};

// Reads the js events that come within a moment, up to count.
std::vector<JoystickEvent> readJoystickEvents(JoystickDevice &joystick, std::size_t count)
{
    std::vector<JoystickEvent> events;
    while (events.size() < count) {
        std::optional<JoystickEvent> event = joystick.readEvent(patience);
        if (!event)
            break;
        events.push_back(*event);
    }
    return events;
}

} // namespace

TEST_F(Uinput, TheDeviceIsFoundByNameWithItsIdsAxesAndButtonsThroughEvdev)
{
    EXPECT_EQ(findInputDevice(name_)->sysfs, nodes_.sysfs);
    EvdevDevice device(nodes_.event);
    EXPECT_EQ(device.name(), name_);
    EXPECT_EQ(device.ids(), testIds);
    EXPECT_EQ(device.axes(), (std::vector<std::uint16_t>{ABS_X, ABS_Y, ABS_RX, ABS_RY}));
    for (const DeclaredAxis &axis : declaredAxes)
        EXPECT_EQ(device.axis(axis.code), axis.info) << "axis " << axis.code;
    EXPECT_EQ(device.keys(), (std::vector<std::uint16_t>{BTN_SOUTH, BTN_EAST}));
    EXPECT_TRUE(device.pressedKeys().empty());
}

TEST_F(Uinput, JoydevGivesFourAxesAndTwoButtonsWithTheirStartingState)
{
    JoystickDevice joystick(nodes_.joystick);
    EXPECT_EQ(joystick.name(), name_);
    EXPECT_EQ(joystick.axisCount(), 4);
    EXPECT_EQ(joystick.buttonCount(), 2);
    EXPECT_EQ(joystick.axisMap(), (std::vector<std::uint8_t>{ABS_X, ABS_Y, ABS_RX, ABS_RY}));
    EXPECT_EQ(joystick.buttonMap(), (std::vector<std::uint16_t>{BTN_SOUTH, BTN_EAST}));

    // The state at opening: both buttons up, the left stick's y at 100.
    const std::vector<JoystickEvent> initial = readJoystickEvents(joystick, 6);
    ASSERT_EQ(initial.size(), 6u);
    int buttons = 0;
    for (const JoystickEvent &event : initial) {
        EXPECT_TRUE(event.initial);
        if (event.kind == JoystickEvent::Kind::Button) {
            ++buttons;
            EXPECT_EQ(event.value, 0) << "button " << int(event.number);
        } else {
            EXPECT_EQ(event.value, event.number == 1 ? 100 : 0) << "axis " << int(event.number);
        }
    }
    EXPECT_EQ(buttons, 2);
    EXPECT_FALSE(joystick.readEvent(0ms));
}

TEST_F(Uinput, AFrameComesBackWholeWithItsTimestampThroughEvdevAndJoydev)
{
    EvdevDevice device(nodes_.event);
    JoystickDevice joystick(nodes_.joystick);
    ASSERT_EQ(readJoystickEvents(joystick, 6).size(), 6u);

    const auto before = monotonicNow();
    stick_->sendFrame({{EV_ABS, ABS_X, 12345}, {EV_ABS, ABS_RY, -32767}, {EV_KEY, BTN_SOUTH, 1}});
    const std::optional<InputFrame> frame = device.readFrame(patience);
    const auto after = monotonicNow();
    ASSERT_TRUE(frame);
    ASSERT_EQ(frame->events.size(), 3u);
    EXPECT_EQ(frame->value(EV_ABS, ABS_X), 12345);
    EXPECT_EQ(frame->value(EV_ABS, ABS_RY), -32767);
    EXPECT_EQ(frame->value(EV_KEY, BTN_SOUTH), 1);
    // On CLOCK_MONOTONIC, and one time for the whole frame.
    EXPECT_GE(frame->time, before);
    EXPECT_LE(frame->time, after);
    for (const InputEvent &event : frame->events)
        EXPECT_EQ(event.time, frame->time);
    EXPECT_FALSE(device.readFrame(0ms));
    EXPECT_EQ(device.pressedKeys(), (std::vector<std::uint16_t>{BTN_SOUTH}));
    EXPECT_EQ(device.axis(ABS_X).value, 12345);

    // joydev: the same changes, numbered by axis and button; no scaling is
    // left to see at the ends of the range or without a dead zone.
    const std::vector<JoystickEvent> changes = readJoystickEvents(joystick, 3);
    ASSERT_EQ(changes.size(), 3u);
    std::vector<std::tuple<JoystickEvent::Kind, int, int>> seen;
    for (const JoystickEvent &event : changes) {
        EXPECT_FALSE(event.initial);
        seen.emplace_back(event.kind, event.number, event.value);
    }
    EXPECT_EQ(seen, (std::vector<std::tuple<JoystickEvent::Kind, int, int>>{
                        {JoystickEvent::Kind::Axis, 0, 12345},
                        {JoystickEvent::Kind::Axis, 3, -32767},
                        {JoystickEvent::Kind::Button, 0, 1},
                    }));

    // A later frame's js time is no earlier: the times are the kernel's
    // ticks in milliseconds, compared as the wrapping count they are.
    stick_->sendFrame({{EV_KEY, BTN_SOUTH, 0}});
    const std::optional<JoystickEvent> release = joystick.readEvent(patience);
    ASSERT_TRUE(release);
    EXPECT_EQ(release->value, 0);
    EXPECT_LT(static_cast<std::uint32_t>(release->time - changes.back().time), 1u << 31);
    EXPECT_TRUE(device.readFrame(patience));
}

TEST_F(Uinput, ADestroyedDeviceGoesAwayAndItsReadersAreTold)
{
    EvdevDevice device(nodes_.event);
    JoystickDevice joystick(nodes_.joystick);
    ASSERT_EQ(readJoystickEvents(joystick, 6).size(), 6u);

    stick_->destroy();
    EXPECT_TRUE(waitForInputDeviceGone(name_, patience));
    EXPECT_FALSE(findInputDevice(name_));
    EXPECT_THROW(device.readFrame(patience), DeviceGone);
    EXPECT_THROW(joystick.readEvent(patience), DeviceGone);
    EXPECT_NE(::access(nodes_.event.c_str(), F_OK), 0) << nodes_.event << " is still there";
    EXPECT_NE(::access(nodes_.joystick.c_str(), F_OK), 0) << nodes_.joystick << " is still there";

    // Waiting for a device that is not there gives up, and not before its time.
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(waitForInputDevice(name_, 300ms));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 300ms);
}

// As a device made by another program is: it may appear while the wait is
// on, its nodes after it.
TEST(UinputWait, ADeviceMadeWhileWaitingIsFoundWithBothNodes)
{
    if (::access("/dev/uinput", W_OK) != 0)
        GTEST_SKIP() << "no writable /dev/uinput here";
    const std::string name = "Kernel test stick made meanwhile";
    std::optional<UinputJoystick> stick;
    std::string failure;
    std::thread maker([&] {
        try {
            stick.emplace(name);
        } catch (const std::exception &error) {
            failure = error.what();
        }
    });
    const std::optional<InputDeviceNodes> found = waitForInputDevice(name, patience);
    maker.join();
    ASSERT_EQ(failure, "");
    ASSERT_TRUE(found);
    EXPECT_EQ(EvdevDevice(found->event).name(), name);
    EXPECT_EQ(JoystickDevice(found->joystick).name(), name);
}

TEST(Pty, TheRawSlavePassesEveryByteUnchangedBothWays)
{
    RawPty pty = openRawPty();
    EXPECT_TRUE(pty.slavePath.starts_with("/dev/pts/")) << pty.slavePath;
    termios settings{};
    ASSERT_EQ(::tcgetattr(pty.slave.get(), &settings), 0);
    EXPECT_EQ(settings.c_lflag & (ICANON | ECHO | ISIG), 0u);

    // Carriage returns, line feeds, ^C and ^D would each be changed, echoed
    // or acted on by a terminal that is not raw.
    const std::string toSlave("A5 1 2\r\n\x03\x04\x7f\0end", 15);
    writeAll(pty.master.get(), toSlave);
    EXPECT_EQ(readBytes(pty.slave.get(), toSlave.size(), patience), toSlave);
    const std::string toMaster("ok\n\r\x03", 5);
    writeAll(pty.slave.get(), toMaster);
    EXPECT_EQ(readBytes(pty.master.get(), toMaster.size(), patience), toMaster);
}
