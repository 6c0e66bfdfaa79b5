#pragma once

#include <QStringList>

#include <chrono>
#include <optional>

struct LogOptions {
    // The devices given with --port, COM 1 first; empty for the system's
    // serial ports.
    QStringList ports;
    // The rows to print before ending; 0 for no end.
    qint64 count = 0;
    // How long to go without a board before giving up; none for as long as
    // the logger runs.
    std::optional<std::chrono::milliseconds> wait;
};

// Reads joystick-log's command line into `options`. Returns the status to
// exit with at once (after --help, --version or a bad command line), or
// nothing when the logger goes on.
std::optional<int> parseLogOptions(const QStringList &arguments, LogOptions &options);
