#include "gamepad/uinputdevice.h"

#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <linux/input.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <array>
#include <vector>

namespace {

// The events an evdev node has to read, up to the SYN_REPORT that closes a
// frame, waiting for them at most a few seconds.
std::vector<input_event> frameFrom(int node)
{
    std::vector<input_event> events;
    pollfd ready{node, POLLIN, 0};
    while (poll(&ready, 1, 5000) == 1) {
        input_event event{};
        if (read(node, &event, sizeof event) != ssize_t(sizeof event))
            break;
        if (event.type == EV_SYN)
            return events;
        events.push_back(event);
    }
    ADD_FAILURE() << "no SYN_REPORT";
    return events;
}

} // namespace

TEST(UinputDevice, WhereItCannotBeOpenedSaysWhyAndHowToMendIt)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const QByteArray missing = folder.filePath(QStringLiteral("uinput")).toLocal8Bit();
    const auto absent = UinputDevice::open(missing.constData());
    ASSERT_EQ(absent.index(), 1u);
    EXPECT_EQ(std::get<QString>(absent), "no " + QString::fromLocal8Bit(missing) + ": load the uinput module (sudo modprobe uinput)");

    const QByteArray directory = folder.path().toLocal8Bit();
    const auto other = UinputDevice::open(directory.constData());
    ASSERT_EQ(other.index(), 1u);
    EXPECT_EQ(std::get<QString>(other), "cannot open " + QString::fromLocal8Bit(directory) + ": Is a directory");
}

// Only where this machine has a uinput the test may write to: the device
// as a game's evdev reader sees it, and a frame through it.
TEST(UinputDevice, MakesTheJoystickAndItsFramesReachItsEventNode)
{
    auto open = UinputDevice::open();
    if (const auto *problem = std::get_if<QString>(&open))
        GTEST_SKIP() << problem->toStdString();
    const auto device = std::move(std::get<std::unique_ptr<UinputDevice>>(open));
    ASSERT_EQ(device->create({}, ButtonLayout::Face), std::nullopt);
    const QString location = device->location();
    const auto match = QRegularExpression(QStringLiteral("^(/dev/input/event\\d+)( and /dev/input/js\\d+)?$")).match(location);
    ASSERT_TRUE(match.hasMatch()) << location.toStdString();
    const int node = ::open(match.captured(1).toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (node < 0)
        GTEST_SKIP() << "cannot read " << match.captured(1).toStdString();

    std::array<char, 80> name{};
    ioctl(node, EVIOCGNAME(name.size() - 1), name.data());
    EXPECT_STREQ(name.data(), PadIdentity::kDefaultName);
    input_id id{};
    ASSERT_EQ(ioctl(node, EVIOCGID, &id), 0);
    EXPECT_EQ(id.bustype, BUS_VIRTUAL);
    EXPECT_EQ(id.vendor, 0);
    EXPECT_EQ(id.product, 0);
    input_absinfo range{};
    ASSERT_EQ(ioctl(node, EVIOCGABS(ABS_RY), &range), 0);
    EXPECT_EQ(range.minimum, -32767);
    EXPECT_EQ(range.maximum, 32767);
    EXPECT_EQ(range.flat, 0);

    ASSERT_EQ(device->send({{EV_ABS, ABS_X, -32767}, {EV_KEY, BTN_EAST, 1}}), std::nullopt);
    const std::vector<input_event> events = frameFrom(node);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].code, ABS_X);
    EXPECT_EQ(events[0].value, -32767);
    EXPECT_EQ(events[1].code, BTN_EAST);
    EXPECT_EQ(events[1].value, 1);
    close(node);
}
