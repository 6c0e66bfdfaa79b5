#include "seriallink/portproblem.h"
#include "seriallink/serialportcontrol.h"
#include "support/fakeserial.h"
#include "support/pty.h"
#include "support/qtprinters.h"
#include "window/ventana.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

using namespace std::chrono_literals;

namespace {

PortProblem openFailure(SerialPortControl &control, int port)
{
    control.setCommPort(int16_t(port));
    try {
        control.setPortOpen(true);
    } catch (const SerialError &error) {
        return error.problem();
    }
    return PortProblem::Other;
}

} // namespace

TEST(PortProblem, TellsAMissingDeviceFromABusyOne)
{
    Pty device;
    SerialPortControl first(ComPortMap(QStringList{device.slavePath(), "/dev/no-such-serial-device"}));
    SerialPortControl second(ComPortMap(QStringList{device.slavePath()}));
    first.setPortOpen(true);

    EXPECT_EQ(openFailure(second, 1), PortProblem::Busy);
    first.setPortOpen(false);
    EXPECT_EQ(openFailure(first, 2), PortProblem::NoSuchDevice);
    EXPECT_EQ(openFailure(first, 3), PortProblem::NoSuchDevice);
}

TEST(PortProblemDeathTest, ADeviceNodeTheUserCannotOpenIsAPermissionProblem)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QTemporaryDir dir;
    const QString node = dir.filePath("ttyUSB9");
    QFile file(node);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    ::chmod(QFile::encodeName(node).constData(), 0600);
    ::chmod(QFile::encodeName(dir.path()).constData(), 0755);

    // Root may open anything, so the check runs as an ordinary user.
    EXPECT_EXIT(
        {
            if (::geteuid() == 0 && ::setuid(65534) != 0)
                std::_Exit(2);
            if (::geteuid() != 0)
                ::chmod(QFile::encodeName(node).constData(), 0);
            std::_Exit(classifyOpenFailure(node) == PortProblem::PermissionDenied ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_TRUE(describeOpenFailure(1, node, PortProblem::PermissionDenied).contains("dialout"));
}

TEST(PortProblem, AFailedOpenExplainsItselfInTheTooltipAndOnceOnStandardError)
{
    ventana window(std::make_unique<SerialPortControl>(ComPortMap(QStringList{"/dev/no-such-serial-device"})), 1ms);
    testing::internal::CaptureStderr();
    window.puerto = 1;
    window.serial();
    window.serial();
    const std::string printed = testing::internal::GetCapturedStderr();

    EXPECT_EQ(window.Bconsola->text(), "Error COM 1");
    EXPECT_EQ(window.Bconsola->toolTip(), "COM1 (/dev/no-such-serial-device): no such device");
    EXPECT_EQ(printed, "joystick-monitor: COM1 (/dev/no-such-serial-device): no such device\n");
}

TEST(PortProblem, ADeviceThatGoesAwayWhilePollingIsReportedOnce)
{
    Pty device;
    ventana window(std::make_unique<SerialPortControl>(ComPortMap(QStringList{device.slavePath()})), 1ms);
    window.puerto = 1;
    window.serial();
    EXPECT_TRUE(window.Bconsola->toolTip().isEmpty());
    window.portok = 1;

    device.hangUp();
    const QDeadlineTimer limit(3s);
    while (window.MSComm1->PortOpen() && !limit.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    testing::internal::CaptureStderr();
    window.Timer1_Timer();
    window.Timer1_Timer();
    const std::string printed = testing::internal::GetCapturedStderr();

    EXPECT_EQ(window.Bconsola->text(), "Error COM 1");
    EXPECT_TRUE(window.Bconsola->toolTip().endsWith("the device went away"));
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), 1) << printed;
}
