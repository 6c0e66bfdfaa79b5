#include "seriallink/comportmap.h"
#include "support/qtprinters.h"

#include <gtest/gtest.h>

TEST(ComPortMap, NumbersUsbModemsFirstThenUsbSerialThenTheRestByNumber)
{
    const QStringList present{"ttyS10", "ttyUSB1", "ttyS2", "ttyACM10", "ttyUSB0", "ttyAMA0", "ttyACM2", "ttyS1"};
    const QStringList expected{"ttyACM2", "ttyACM10", "ttyUSB0", "ttyUSB1", "ttyAMA0", "ttyS1", "ttyS2", "ttyS10"};
    EXPECT_EQ(orderedSerialDevices(present), expected);
}

TEST(ComPortMap, FixedMapGivesEmptyPathForAbsentPortsAndNumbersPastTheEnd)
{
    const ComPortMap ports(QStringList{"", "/dev/pts/7", "/dev/ttyUSB0"});
    EXPECT_EQ(ports.devicePath(1), QString());
    EXPECT_EQ(ports.devicePath(2), "/dev/pts/7");
    EXPECT_EQ(ports.devicePath(3), "/dev/ttyUSB0");
    EXPECT_EQ(ports.devicePath(4), QString());
    EXPECT_EQ(ports.devicePath(0), QString());
    EXPECT_EQ(ports.devicePath(-1), QString());
}
