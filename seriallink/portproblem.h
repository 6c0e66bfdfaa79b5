#pragma once

#include "seriallink/serialcontrol.h"

#include <QString>

// Tells why a device that failed to open could not be opened, from the
// device node itself: missing, not readable and writable by this user, or
// there and accessible, hence held by another program.
PortProblem classifyOpenFailure(const QString &device);

// The user's explanation of a port that failed to open, with its remedy.
QString describeOpenFailure(int port, const QString &device, PortProblem problem);
