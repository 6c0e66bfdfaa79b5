#pragma once

#include "seriallink/serialcontrol.h"

#include <QSerialPort>
#include <QString>

// Tells why a device failed to open, from the error the serial layer gave.
// Only a permission error can mean that another program holds the device:
// the device node then tells whether this user may open it at all.
PortProblem classifyOpenFailure(const QString &device, QSerialPort::SerialPortError error);

// The user's explanation of a port that failed to open, with its remedy
// where there is one; `systemReason` is what the system said, for the
// failures that have no remedy of their own.
QString describeOpenFailure(int port, const QString &device, PortProblem problem, const QString &systemReason);
