#pragma once

#include "programs/gamepad/gamepadoptions.h"

#include <QStringList>

#include <optional>

struct MonitorOptions {
    // The devices given with --port, COM 1 first; empty for the system's
    // serial ports.
    QStringList ports;
    // The file given with --record; empty for no recording.
    QString record;
    // Whether the board's details window opens at start (--details).
    bool details = false;
    // Whether the board is a game controller from the start (--gamepad),
    // and how, where the system can make one.
    bool gamepadOn = false;
    GamepadOptions gamepad;
};

// Reads joystick-monitor's command line into `options`. Returns the status
// to exit with at once (after --help, --version or a bad command line), or
// nothing when the monitor goes on.
std::optional<int> parseMonitorOptions(const QStringList &arguments, MonitorOptions &options);
