#pragma once

#include "programs/common/commandline.h"
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
    int mostPerSecond = 50;
    // --invert: A0 to A3.
    std::array<bool, 4> inverted{};
    // --sdl-mapping: print the SDL mapping line and exit.
    bool sdlMapping = false;
};

// The game controller's options of a program whose settings hold them in
// `gamepad`: --calibration and --buttons, and with `all` also --name,
// --rate, --invert and --sdl-mapping.
template <typename Settings>
QList<commandline::OptionRule<Settings>> gamepadRules(bool all);

// What each rule takes, on GamepadOptions.
namespace gamepadoption {
QCommandLineOption calibration();
std::optional<QString> takeCalibration(const QStringList &files, GamepadOptions &options);
QCommandLineOption buttons();
std::optional<QString> takeButtons(const QStringList &values, GamepadOptions &options);
QCommandLineOption name();
std::optional<QString> takeName(const QStringList &values, GamepadOptions &options);
QCommandLineOption rate();
std::optional<QString> takeRate(const QStringList &values, GamepadOptions &options);
QCommandLineOption invert();
std::optional<QString> takeInvert(const QStringList &values, GamepadOptions &options);
QCommandLineOption sdlMapping();
} // namespace gamepadoption

template <typename Settings>
QList<commandline::OptionRule<Settings>> gamepadRules(bool all)
{
    const auto on = [](auto take) {
        return [take](const QStringList &values, Settings &settings) { return take(values, settings.gamepad); };
    };
    QList<commandline::OptionRule<Settings>> rules{
        {gamepadoption::calibration(), on(gamepadoption::takeCalibration)},
        {gamepadoption::buttons(), on(gamepadoption::takeButtons)},
    };
    if (all)
        rules << commandline::OptionRule<Settings>{gamepadoption::name(), on(gamepadoption::takeName)}
              << commandline::OptionRule<Settings>{gamepadoption::rate(), on(gamepadoption::takeRate)}
              << commandline::OptionRule<Settings>{gamepadoption::invert(), on(gamepadoption::takeInvert)}
              << commandline::OptionRule<Settings>{gamepadoption::sdlMapping(),
                                                   on(commandline::whetherGiven(&GamepadOptions::sdlMapping))};
    return rules;
}
