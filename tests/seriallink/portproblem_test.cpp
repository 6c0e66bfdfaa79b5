#include "seriallink/serialportcontrol.h"
#include "support/monitor.h"
#include "support/qtprinters.h"

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
