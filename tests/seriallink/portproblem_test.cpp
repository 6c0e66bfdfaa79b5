#include "seriallink/portproblem.h"
#include "seriallink/serialportcontrol.h"
#include "seriallink/statustext.h"
#include "tests/support/monitor.h"
#include "tests/support/qtprinters.h"
#include "tools/boardsim.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>

#include <sys/stat.h>
#include <sys/sysmacros.h>

namespace {

SerialError openFailure(SerialPortControl &control, int port)
{
    control.setCommPort(int16_t(port));
    try {
        control.setPortOpen(true);
    } catch (const SerialError &error) {
        return error;
    }
    return SerialError("opened");
}

} // namespace

// A device node with no hardware behind it (a serial minor no UART
// answers) opens with ENXIO: a plain reason, not "busy".
TEST(PortProblem, ADeviceWithNothingBehindItIsNotCalledBusy)
{
    QTemporaryDir dir;
    const QString node = dir.filePath("ttyS63");
    if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0600, makedev(4, 127)) != 0)
        GTEST_SKIP() << "cannot create a device node here: " << std::strerror(errno);
    SerialPortControl control(fixedPorts({node}));
    const SerialError error = openFailure(control, 1);
    EXPECT_EQ(error.problem(), PortProblem::Other);
    EXPECT_EQ(QString::fromStdString(error.what()),
              QStringLiteral("COM1 (%1): cannot be opened: No such device or address").arg(node));
}

// Qt's serial layer takes the first lock folder it can read that holds the
// device's lock file or may be written to; the temporary folder is its last
// resort, where the others are missing or closed. The lock is made with
// QLockFile, as Qt makes it.
TEST(PortLocks, FindTheLockWhereQtPutsItAndNameItsHolder)
{
    EXPECT_EQ(PortLocks::standardFolders().constLast(), QStandardPaths::writableLocation(QStandardPaths::TempLocation));
    QTemporaryDir temp;
    const PortLocks locks({temp.filePath("absent"), temp.path()});
    const QString device = "/dev/pts/7";
    ASSERT_EQ(locks.lockFile(device), temp.filePath("LCK..pts_7"));
    {
        QLockFile qtLock(locks.lockFile(device));
        ASSERT_TRUE(qtLock.tryLock());
        const std::optional<LockHolder> holder = locks.holder(device);
        ASSERT_TRUE(holder);
        EXPECT_EQ(holder->pid, QCoreApplication::applicationPid());
        EXPECT_EQ(holder->program, QCoreApplication::applicationName());
        EXPECT_EQ(locks.ownLockFile(device), locks.lockFile(device));
    }
    QFile other(locks.lockFile(device));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly) && other.write("  4242 minicom root\n") > 0);
    other.close();
    EXPECT_EQ(locks.holder(device)->pid, 4242) << "another kind of lock file: a process id and more words";
    EXPECT_TRUE(locks.ownLockFile(device).isEmpty()) << "a lock of another process is not this one's to remove";
}

TEST(PortProblem, ABusyPortNamesItsHolderAndHintsAtModemManagerOnlyForANewUsbModem)
{
    EXPECT_EQ(busyHolder(LockHolder{3842, "joystick-log"}, true), "joystick-log (process 3842)");
    EXPECT_EQ(busyHolder(LockHolder{3842, ""}, false), "process 3842");
    EXPECT_TRUE(busyHolder(std::nullopt, true).contains("ModemManager"));
    EXPECT_EQ(busyHolder(std::nullopt, false), "another program");

    QTemporaryDir dir;
    QFile modem(dir.filePath("ttyACM0"));
    ASSERT_TRUE(modem.open(QIODevice::WriteOnly));
    const QDateTime now = QDateTime::currentDateTime();
    EXPECT_TRUE(isNewUsbModem(QFileInfo(modem), now));
    EXPECT_FALSE(isNewUsbModem(QFileInfo(modem), now.addSecs(20)));
}

// A path longer than the system takes is not "no such device"; a device
// whose lock file would need such a name is not "busy". On Windows COMn is
// the device "COMn" itself: a reason names it once.
TEST(PortProblem, ReasonsSayANameIsTooLongAndNameAWindowsPortOnce)
{
    const QString tooLong = "/tmp/" + QString(5000, 'a');
    const auto named = ComPortMap::named({tooLong, "/dev/no-such-device"});
    named->readDevices();
    SerialPortControl control(named);
    EXPECT_EQ(QString::fromStdString(openFailure(control, 1).what()), "COM1 (" + tooLong + "): name too long");
    EXPECT_EQ(QString::fromStdString(openFailure(control, 2).what()), "COM2 (/dev/no-such-device): no such device");

    BoardSimulator board(BoardOptions::silent());
    QTemporaryDir dir;
    const QString deep = dir.filePath(QString(120, 'b') + "/" + QString(120, 'c'));
    ASSERT_TRUE(QDir().mkpath(QFileInfo(deep).path()) && QFile::link(board.slavePath(), deep));
    SerialPortControl deepControl(fixedPorts({deep}));
    const SerialError error = openFailure(deepControl, 1);
    EXPECT_EQ(error.problem(), PortProblem::Other);
    EXPECT_TRUE(QString::fromStdString(error.what()).endsWith("its name is too long for a lock file")) << error.what();

    EXPECT_EQ(statustext::noBoardAnswered(3, "COM3").reason, "COM3: opened, but no board answered");
    EXPECT_EQ(explainAbsentDevice(12, "COM12"), "COM12: no such device");
}
