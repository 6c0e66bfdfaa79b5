#pragma once

#include "stickdata/axismap.h"
#include "stickdata/boardmodel.h"

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <array>
#include <variant>

// The board's calibration as its own figures give it, read from the JSON
// that `joystick-stats --json` writes (statsJson, which also writes it from
// the details window's statistics): each axis's "min", "max", "centre" and
// "dead_zone" under "axes". An axis whose stick never rested has no centre;
// it takes the middle of its range and no dead zone, and a note says so.
struct BoardCalibration {
    // A0 to A3.
    std::array<AxisCalibration, BoardModel::kAxisCount> axes;
    // What the program tells the user about it, a line each.
    QStringList notes;
};

// The calibration `json` holds, or why it holds none, in a few words
// naming what was found.
std::variant<BoardCalibration, QString> calibrationFromJson(QByteArrayView json);

// The calibration in the file at `path`, or why there is none in one line
// that begins with the path.
std::variant<BoardCalibration, QString> readCalibrationFile(const QString &path);
