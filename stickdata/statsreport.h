#pragma once

#include "stickdata/boardstats.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <iterator>
#include <optional>

// The board's statistics written out: as a table to read, and as JSON for
// scripts. Both give the reports, sessions, rate and intervals, each axis's
// range and calibration, and the buttons' presses.

// The figures of an axis, in the table's order: its heading there, its
// key in JSON, its name in words and its decimal places.
struct AxisColumn {
    const char *heading;
    const char *key;
    const char *name;
    int decimals;
};
inline constexpr AxisColumn kAxisColumns[] = {
    {"min", "min", "Minimum", 0},
    {"max", "max", "Maximum", 0},
    {"centre", "centre", "Centre", 2},
    {"noise sd", "noise_sd", "Noise SD", 3},
    {"noise pp", "noise_pp", "Noise peak to peak", 0},
    {"dead zone", "dead_zone", "Dead zone", 0},
    {"span below", "span_below", "Span below centre", 2},
    {"span above", "span_above", "Span above centre", 2},
};
using AxisValues = std::array<std::optional<double>, std::size(kAxisColumns)>;

// Axis `channel`'s figures in the order of kAxisColumns; nothing where not
// known: the range before the first report, the rest before the stick
// rested.
AxisValues axisValues(const BoardStats &stats, int channel);

// Lines of plain text, the axes in aligned columns; "-" where a figure
// is not known yet.
QString statsTable(const BoardStats &stats);

// One JSON object: "reports", "sessions", "rate", "interval_ms" {"mean",
// "sd", "max"}, "axes" {"A0" to "A3", each {"min", "max", "centre",
// "noise_sd", "noise_pp", "dead_zone", "span_below", "span_above"}} and
// "buttons" {"A4", "A5", each {"presses"}}; null where a figure is not
// known.
QByteArray statsJson(const BoardStats &stats);
