#include "seriallink/portproblem.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// Whether this user may read and write the device node.
bool mayOpen(const QString &device)
{
#ifdef Q_OS_UNIX
    return ::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0;
#else
    Q_UNUSED(device);
    return true;
#endif
}

} // namespace

PortProblem classifyOpenFailure(const QString &device, QSerialPort::SerialPortError error)
{
    switch (error) {
    case QSerialPort::DeviceNotFoundError:
        return PortProblem::NoSuchDevice;
    case QSerialPort::PermissionError:
        return mayOpen(device) ? PortProblem::Busy : PortProblem::PermissionDenied;
    default:
        return PortProblem::Other;
    }
}

QString describeOpenFailure(int port, const QString &device, PortProblem problem, const QString &systemReason)
{
    const QString where = QStringLiteral("COM%1 (%2)").arg(port).arg(device);
    switch (problem) {
    case PortProblem::NoSuchDevice:
        return where + QStringLiteral(": no such device");
    case PortProblem::PermissionDenied:
        return where
               + QStringLiteral(": permission denied; add your user to the dialout group "
                                "(sudo usermod -aG dialout $USER) and log in again");
    case PortProblem::Busy:
        return where
               + QStringLiteral(": busy, held by another program (ModemManager probes new USB modems "
                                "for about ten seconds after they are plugged in)");
    default:
        return where + QStringLiteral(": cannot be opened: ") + systemReason;
    }
}
