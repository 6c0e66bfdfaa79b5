#include "seriallink/portproblem.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <unistd.h>

#include <cerrno>
#endif

PortProblem classifyOpenFailure(const QString &device)
{
#ifdef Q_OS_UNIX
    const QByteArray path = QFile::encodeName(device);
    if (::access(path.constData(), F_OK) != 0)
        return PortProblem::NoSuchDevice;
    if (::access(path.constData(), R_OK | W_OK) != 0)
        return errno == EACCES ? PortProblem::PermissionDenied : PortProblem::Other;
    return PortProblem::Busy;
#else
    return QFile::exists(device) ? PortProblem::Busy : PortProblem::NoSuchDevice;
#endif
}

QString describeOpenFailure(int port, const QString &device, PortProblem problem)
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
        return where + QStringLiteral(": cannot be opened");
    }
}
