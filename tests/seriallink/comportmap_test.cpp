#include "seriallink/comportmap.h"
#include "support/eventloop.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(ComPortMap, NumbersUsbModemsFirstThenUsbSerialThenTheRestByNumber)
{
    const QStringList present{"ttyS10", "ttyUSB1", "ttyS2", "ttyACM10", "ttyUSB0", "ttyAMA0", "ttyACM2", "ttyS1"};
    const QStringList expected{"ttyACM2", "ttyACM10", "ttyUSB0", "ttyUSB1", "ttyAMA0", "ttyS1", "ttyS2", "ttyS10"};
    EXPECT_EQ(orderedSerialDevices(present), expected);
}

TEST(ComPortMap, FixedMapGivesEmptyPathForAbsentPortsAndNumbersPastTheEnd)
{
    const ComPortMap ports(QStringList{"", "/dev/pts/7"});
    EXPECT_EQ(ports.devicePath(1), QString());
    EXPECT_EQ(ports.devicePath(2), "/dev/pts/7");
    EXPECT_EQ(ports.devicePath(3), QString());
    EXPECT_EQ(ports.devicePath(0), QString());
}

// The list costs CPU to read and a port opened needlessly may reset a
// board: a change is reported only when the list really differs, and only
// while watching.
TEST(ComPortMap, ReportsAChangedListOnlyWhileWatchingAndOnceItHasSettled)
{
    QStringList present{"/dev/ttyACM0"};
    int reads = 0;
    ComPortMap ports([&] {
        ++reads;
        return present;
    });
    int changes = 0;
    QObject::connect(&ports, &ComPortMap::devicesChanged, &ports, [&] { ++changes; });
    const auto settle = [] { runFor(std::chrono::milliseconds(ComPortMap::kSettleMs + 300)); };
    ports.readDevices();
    ports.setWatching(true);

    present = QStringList{"/dev/ttyACM0", "", ""};
    ports.devicesMayHaveChanged();
    settle();
    EXPECT_EQ(changes, 0) << "the same devices, absent ports at the end naming none";

    ports.setWatching(false);
    present = QStringList{"/dev/ttyACM0", "/dev/ttyUSB0"};
    for (int notice = 0; notice < 5; ++notice)
        ports.devicesMayHaveChanged();
    settle();
    EXPECT_EQ(changes, 0) << "not watching";
    ports.setWatching(true);
    ASSERT_TRUE(runUntil([&] { return changes == 1; }, 5s)) << "a change seen while not watching is looked at";
    EXPECT_EQ(reads, 3) << "a burst of notices is one read";
    EXPECT_EQ(ports.devicePath(2), QString()) << "COM numbers follow reads only";
    ports.readDevices();
    EXPECT_EQ(ports.devicePath(2), "/dev/ttyUSB0");

    ports.forgetDevices();
    ASSERT_TRUE(runUntil([&] { return changes == 2; }, 5s)) << "once forgotten, any device present is a change";
    present.clear();
    ports.forgetDevices();
    settle();
    EXPECT_EQ(changes, 2) << "with no device there is nothing to look for";
}
