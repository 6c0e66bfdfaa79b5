#include "gamepad/uinputdevice.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

TEST(UinputDevice, WhereItCannotBeOpenedSaysWhyAndHowToMendIt)
{
    QTemporaryDir folder;
    const QString missing = folder.filePath(QStringLiteral("uinput"));
    const auto absent = UinputDevice::open(missing.toLocal8Bit().constData());
    ASSERT_EQ(absent.index(), 1u);
    EXPECT_EQ(std::get<QString>(absent), "no " + missing + ": load the uinput module (sudo modprobe uinput)");
    const auto other = UinputDevice::open(folder.path().toLocal8Bit().constData());
    ASSERT_EQ(other.index(), 1u);
    EXPECT_EQ(std::get<QString>(other), "cannot open " + folder.path() + ": Is a directory");
}

// Only where the machine has a uinput the test may use: the device as a
// game's evdev reader sees it, and a frame through it.
TEST(UinputDevice, MakesTheJoystickAndItsFramesReachItsEventNode)
{
    auto open = UinputDevice::open();
    if (const auto *problem = std::get_if<QString>(&open))
        GTEST_SKIP() << problem->toStdString();
    const auto device = std::move(std::get<std::unique_ptr<UinputDevice>>(open));
    ASSERT_EQ(device->create({}, ButtonLayout::Face), std::nullopt);
    const auto match = QRegularExpression(QStringLiteral("^(/dev/input/event\\d+)( and /dev/input/js\\d+)?$")).match(device->location());
    ASSERT_TRUE(match.hasMatch()) << device->location().toStdString();
    const int node = ::open(match.captured(1).toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (node < 0)
        GTEST_SKIP() << "cannot read " << match.captured(1).toStdString();

    char name[80]{};
    input_id id{};
    input_absinfo range{};
    ASSERT_GT(ioctl(node, EVIOCGNAME(sizeof name - 1), name), 0);
    ASSERT_EQ(ioctl(node, EVIOCGID, &id), 0);
    ASSERT_EQ(ioctl(node, EVIOCGABS(ABS_RY), &range), 0);
    EXPECT_STREQ(name, PadIdentity::kDefaultName);
    EXPECT_EQ((std::array{id.bustype, id.vendor, id.product}), (std::array<uint16_t, 3>{BUS_VIRTUAL, 0, 0}));
    EXPECT_EQ((std::array{range.minimum, range.maximum, range.fuzz, range.flat}), (std::array{-32767, 32767, 0, 0}));

    ASSERT_EQ(device->send({{EV_ABS, ABS_X, -32767}, {EV_KEY, BTN_EAST, 1}}), std::nullopt);
    std::vector<std::array<int, 3>> events;
    pollfd ready{node, POLLIN, 0};
    input_event event{};
    while (poll(&ready, 1, 5000) == 1 && read(node, &event, sizeof event) == ssize_t(sizeof event) && event.type != EV_SYN)
        events.push_back({event.type, event.code, event.value});
    EXPECT_EQ(event.type, EV_SYN);
    EXPECT_EQ(events, (std::vector<std::array<int, 3>>{{EV_ABS, ABS_X, -32767}, {EV_KEY, BTN_EAST, 1}}));
    close(node);
}
