#pragma once

#include "seriallink/portlock.h"
#include "seriallink/serialcontrol.h"

#include <QDateTime>
#include <QFileInfo>
#include <QSerialPort>
#include <QString>

#include <optional>

// Why a device failed to open, told to the user with the remedy where
// there is one.
struct OpenFailure {
    PortProblem problem;
    QString reason;
};

// Why `device`, COMn for n = `port`, failed to open, from the error the
// serial layer gave and its text `systemReason`. Only a permission error
// can mean that another program holds the device: the device node then
// tells whether this user may open it at all, and the lock file in `locks`
// who holds it.
OpenFailure explainOpenFailure(int port, const QString &device, QSerialPort::SerialPortError error,
                               const QString &systemReason, const PortLocks &locks);

// Why COMn, given as `name`, has no device: there is none by that name, or
// the name is longer than the system takes.
QString explainAbsentDevice(int port, const QString &name);

// Who holds a busy device, as the user is told: the holder its lock file
// names; else, for a USB modem that has just appeared, ModemManager's probe;
// else some other program.
QString busyHolder(const std::optional<LockHolder> &holder, bool newUsbModem);

// Whether `node` is a USB modem device (ttyACM*) that appeared moments ago,
// by `now`: ModemManager probes such a device for about ten seconds.
bool isNewUsbModem(const QFileInfo &node, const QDateTime &now);
