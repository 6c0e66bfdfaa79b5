#pragma once

#include "stickdata/boardmodel.h"

#include <QString>

#include <bitset>
#include <chrono>
#include <optional>

// When a line arrived: on a monotonic clock, for intervals and rates, and
// as the time of day, for what a person reads. Both are read once, from
// one clock, as the line is taken from the port.
struct Arrival {
    std::chrono::nanoseconds steady{};
    std::chrono::system_clock::time_point wall{};
};

// A set of channels, A0 (bit 0) to A5 (bit 5).
using ChannelSet = std::bitset<BoardModel::kChannelCount>;

// One device line as a session hands it on: once, with what it meant, when
// it arrived, and, on the line that completed a report, that report.
struct BoardLine {
    LineKind kind = LineKind::Ignored;
    // The channel a channel line set, 0 to 5; -1 for any other line.
    int channel = -1;
    // The line as received; empty for a line dropped for its length.
    QString text;
    Arrival arrival;
    // The report an "A5" line completed.
    std::optional<Report> report;
    // With a report: the channels that have not arrived since the board was
    // found, whose values are the model's old ones (none for a whole report).
    ChannelSet unseen;

    // Whether the line completed a report every value of which the board
    // sent since it was found.
    bool completesWholeReport() const { return report && unseen.none(); }
};
