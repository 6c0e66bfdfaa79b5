#include "gamepad/uinputdevice.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

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
