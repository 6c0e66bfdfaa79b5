#pragma once

#include "programs/common/commandline.h"
#include "seriallink/boardlink.h"
#include "stickdata/calibrationfile.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <array>
#include <optional>

// How the board is made a game controller, as the programs that make one
// take it on their command line.
struct GamepadOptions {
    // --calibration: the file and the calibration it holds; none maps each
    // axis linearly.
    QString calibrationFile;
    std::optional<BoardCalibration> calibration;
    // --buttons sticks: the buttons as stick clicks, not face buttons.
    bool stickButtons = false;
    // --name; empty for the pad's own.
    QByteArray name;
    // --rate: requests a second at most, polling after each answer.
    int mostPerSecond = BoardLink::kMostRequestsPerSecond;
    // --invert: A0 to A3.
    std::array<bool, 4> inverted{};
    // --sdl-mapping: print the SDL mapping line and exit.
    bool sdlMapping = false;
};

// The game controller's options, on GamepadOptions: --calibration and
// --buttons, and with `all` also --name, --rate, --invert and --sdl-mapping.
QList<commandline::OptionRule<GamepadOptions>> gamepadOptionRules(bool all);

// The same options for a program whose settings hold them in `gamepad`.
template <typename Settings>
QList<commandline::OptionRule<Settings>> gamepadRules(bool all)
{
    QList<commandline::OptionRule<Settings>> rules;
    for (const commandline::OptionRule<GamepadOptions> &rule : gamepadOptionRules(all))
        rules.append({rule.option, [take = rule.take](const QStringList &values, Settings &settings) {
                          return take(values, settings.gamepad);
                      }});
    return rules;
}
