#include "seriallink/serialportcontrol.h"
#include "support/eventloop.h"
#include "support/qtprinters.h"
#include "tools/boardsim.h"
#include "window/ventana.h"

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

// The messages logged about ports while it lives.
struct PortLog {
    PortLog()
    {
        lines.clear();
        previous = qInstallMessageHandler(record);
    }
    ~PortLog() { qInstallMessageHandler(previous); }

    static void record(QtMsgType, const QMessageLogContext &context, const QString &message)
    {
        if (QLatin1StringView(context.category) == QLatin1StringView("joystick.ports"))
            lines.append(message);
    }

    static inline QStringList lines;
    QtMessageHandler previous;
};

} // namespace

// A device node with no hardware behind it (a serial minor no UART
// answers) opens with ENXIO: a plain reason, not "busy".
TEST(PortProblem, ADeviceWithNothingBehindItIsNotCalledBusy)
{
    QTemporaryDir dir;
    const QString node = dir.filePath("ttyS63");
    if (::mknod(QFile::encodeName(node).constData(), S_IFCHR | 0600, makedev(4, 127)) != 0)
        GTEST_SKIP() << "cannot create a device node here: " << std::strerror(errno);
    SerialPortControl control(std::make_shared<ComPortMap>(QStringList{node}));
    const SerialError error = openFailure(control, 1);
    EXPECT_EQ(error.problem(), PortProblem::Other);
    EXPECT_EQ(QString::fromStdString(error.what()),
              QStringLiteral("COM1 (%1): cannot be opened: No such device or address").arg(node));
}

TEST(PortProblem, AFailedOpenExplainsItselfInTheTooltipAndOnceInTheLog)
{
    ventana window(std::make_unique<SerialPortControl>(std::make_shared<ComPortMap>(QStringList{"/dev/no-such-serial-device"})));
    const PortLog log;
    window.puerto = 1;
    window.serial();
    window.serial();

    EXPECT_EQ(window.Bconsola->text(), "Error COM 1");
    EXPECT_EQ(window.Bconsola->toolTip(), "COM1 (/dev/no-such-serial-device): no such device");
    EXPECT_EQ(log.lines, QStringList{"COM1 (/dev/no-such-serial-device): no such device"});
}

TEST(PortProblem, ADeviceThatGoesAwayWhilePollingIsReportedOnce)
{
    BoardSimulator device;
    ventana window(std::make_unique<SerialPortControl>(std::make_shared<ComPortMap>(QStringList{device.slavePath()})));
    window.CLAVE = "JOYSTICK";
    window.puerto = 1;
    window.serial();
    ASSERT_TRUE(runUntil([&] { return window.portok == 1; }));
    EXPECT_TRUE(window.Bconsola->toolTip().isEmpty());

    const PortLog log;
    device.hangUp();
    ASSERT_TRUE(runUntil([&] { return window.portok == 0; }));
    window.Command1_Click();

    EXPECT_EQ(window.Bconsola->text(), "Error COM 1");
    EXPECT_TRUE(window.Bconsola->toolTip().endsWith("the device went away"));
    EXPECT_EQ(log.lines.size(), 1) << log.lines.join('\n').toStdString();
}
