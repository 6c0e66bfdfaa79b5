#pragma once

#include <QStringList>

#include <optional>

struct StatsOptions {
    // Recordings to read, in order; "-" for standard input.
    QStringList files;
    bool json = false;
};

// Reads joystick-stats's command line into `options`. Returns the status
// to exit with at once (after --help, --version or a bad command line), or
// nothing when the program goes on.
std::optional<int> parseStatsOptions(const QStringList &arguments, StatsOptions &options);
