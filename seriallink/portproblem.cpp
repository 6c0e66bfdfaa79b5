#include "seriallink/portproblem.h"

#include "seriallink/statustext.h"

#include <QFile>

#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

// A device node this young may still be probed by ModemManager.
constexpr qint64 kNewDeviceSeconds = 15;

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

// Whether the system refuses `path` for its length, the whole path's or
// one of its names'.
bool nameTooLong(const QString &path)
{
    std::error_code error;
    return !std::filesystem::exists(QFileInfo(path).filesystemFilePath(), error)
           && error == std::errc::filename_too_long;
}

PortProblem classify(const QString &device, QSerialPort::SerialPortError error)
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

} // namespace

OpenFailure explainOpenFailure(int port, const QString &device, QSerialPort::SerialPortError error,
                               const QString &systemReason, const PortLocks &locks)
{
    const QString where = statustext::portName(port, device) + QStringLiteral(": ");
    const PortProblem problem = classify(device, error);
    switch (problem) {
    case PortProblem::NoSuchDevice:
        return {problem, where + QStringLiteral("no such device")};
    case PortProblem::PermissionDenied:
        return {problem, where
                             + QStringLiteral("permission denied; add your user to the dialout group "
                                              "(sudo usermod -aG dialout $USER) and log in again")};
    case PortProblem::Busy:
        // A device whose lock file cannot be named cannot be locked, so the
        // serial layer refuses it as it refuses one held by another.
        if (nameTooLong(locks.lockFile(device)))
            return {PortProblem::Other,
                    where + QStringLiteral("cannot be opened: its name is too long for a lock file")};
        return {problem,
                where + QStringLiteral("busy, held by ")
                    + busyHolder(locks.holder(device), isNewUsbModem(QFileInfo(device), QDateTime::currentDateTime()))};
    default:
        return {problem, where + QStringLiteral("cannot be opened: ") + systemReason};
    }
}

QString explainAbsentDevice(int port, const QString &name)
{
    return statustext::portName(port, name)
           + (nameTooLong(name) ? QStringLiteral(": name too long") : QStringLiteral(": no such device"));
}

QString busyHolder(const std::optional<LockHolder> &holder, bool newUsbModem)
{
    if (holder && !holder->program.isEmpty())
        return QStringLiteral("%1 (process %2)").arg(holder->program, QString::number(holder->pid));
    if (holder)
        return QStringLiteral("process %1").arg(holder->pid);
    if (newUsbModem)
        return QStringLiteral("another program (ModemManager probes new USB modems for about ten seconds "
                              "after they are plugged in)");
    return QStringLiteral("another program");
}

bool isNewUsbModem(const QFileInfo &node, const QDateTime &now)
{
    if (!node.fileName().startsWith(QStringLiteral("ttyACM")))
        return false;
    const QDateTime appeared = node.metadataChangeTime();
    return appeared.isValid() && appeared.secsTo(now) < kNewDeviceSeconds;
}
