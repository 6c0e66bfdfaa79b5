#pragma once

#include "gamepad/virtualpad.h"
#include "programs/gamepad/gamepadoptions.h"

#include <QString>

#include <variant>

// The pad the options ask for, or why the name given cannot name one.
std::variant<PadSettings, QString> padSettings(const GamepadOptions &options);

// Whether and how the pad is calibrated, a line each: where from, and
// what the calibration says of its axes.
QStringList calibrationLines(const GamepadOptions &options);
