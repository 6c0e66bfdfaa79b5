#include "seriallink/comportmap.h"
#include "tests/support/eventloop.h"
#include "tests/support/qtprinters.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(ComPortMap, NumbersUsbModemsFirstThenUsbSerialThenTheRestByNumber)
{
    const QStringList present{"ttyS10", "ttyUSB1", "ttyS2", "ttyACM10", "ttyUSB0", "ttyAMA0", "ttyACM2", "ttyS1"};
    const QStringList expected{"ttyACM2", "ttyACM10", "ttyUSB0", "ttyUSB1", "ttyAMA0", "ttyS1", "ttyS2", "ttyS10"};
    EXPECT_EQ(orderedSerialDevices(present), expected);
}

// Named devices: a symlink stands for its target, read anew each time, and
// a change in its folder is noticed.
TEST(ComPortMap, NamedDevicesFollowTheirSymlinksAndTheirFolder)
{
    QTemporaryDir dir;
    QFile target(dir.filePath("ttyFirst"));
    ASSERT_TRUE(target.open(QIODevice::WriteOnly));
    const QString link = dir.filePath("by-id-board");
    ASSERT_TRUE(QFile::link(target.fileName(), link));
    const auto ports = ComPortMap::named({dir.filePath("missing"), link});
    int notices = 0;
    QObject::connect(ports.get(), &ComPortMap::devicesMayHaveChanged, ports.get(), [&] { ++notices; });

    EXPECT_EQ(ports->readDevices(), QStringList({"", target.fileName()}));
    EXPECT_EQ(ports->deviceName(1), dir.filePath("missing")) << "a missing device keeps the name it was given";
    EXPECT_EQ(ports->deviceName(2), target.fileName());
    EXPECT_EQ(ports->deviceName(3), QString());

    ASSERT_TRUE(QFile::remove(link));
    QFile other(dir.filePath("ttySecond"));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    ASSERT_TRUE(QFile::link(other.fileName(), link));
    ASSERT_TRUE(runUntil([&] { return notices > 0; }));
    EXPECT_EQ(ports->readDevices(), QStringList({"", other.fileName()}));
}
