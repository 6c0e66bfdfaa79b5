#pragma once

#include "stickdata/boardstats.h"

#include <QByteArray>
#include <QString>

// The board's statistics written out: as a table to read, and as JSON for
// scripts. Both give the reports, sessions, rate and intervals, each axis's
// range and calibration, and the buttons' presses.

// Lines of plain text, the axes in aligned columns; "-" where a figure
// is not known yet.
QString statsTable(const BoardStats &stats);

// One JSON object: "reports", "sessions", "rate", "interval_ms" {"mean",
// "sd", "max"}, "axes" {"A0" to "A3", each {"min", "max", "centre",
// "noise_sd", "noise_pp", "dead_zone"}} and "buttons" {"A4", "A5", each
// {"presses"}}; null where a figure is not known.
QByteArray statsJson(const BoardStats &stats);
