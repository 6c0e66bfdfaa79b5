#include "programs/gamepad/gamepadoptions.h"

#include "stickdata/protocol.h"

#include <tuple>

namespace {

// A pty or a fast board answers at once: a request a millisecond would
// spin; below the fixed poll's five a second, polling after each answer
// would be slower than not.
constexpr int kFewestPerSecond = 5;
constexpr int kMostPerSecond = 1000;

// The axis A0 to A3 named `name`.
std::optional<size_t> axisNamed(const QString &name)
{
    for (size_t channel = 0; channel < std::tuple_size_v<decltype(GamepadOptions::inverted)>; ++channel)
        if (name == QLatin1StringView(protocol::kTags[channel]))
            return channel;
    return std::nullopt;
}

std::optional<QString> oneValue(const char *option, const QStringList &values)
{
    if (values.size() > 1)
        return QStringLiteral("--%1 takes one value; %2 given").arg(QLatin1StringView(option)).arg(values.size());
    return std::nullopt;
}

QCommandLineOption calibration()
{
    return {QStringLiteral("calibration"),
            QStringLiteral("Map the sticks through the board's own calibration in FILE, as joystick-stats --json "
                           "or the details window's \"Save calibration…\" writes it; without it each axis maps "
                           "0 to 1023 linearly."),
            QStringLiteral("FILE")};
}

std::optional<QString> takeCalibration(const QStringList &files, GamepadOptions &options)
{
    if (files.isEmpty())
        return std::nullopt;
    if (auto problem = oneValue("calibration", files))
        return problem;
    auto read = readCalibrationFile(files.first());
    if (const QString *refusal = std::get_if<QString>(&read))
        return *refusal;
    options.calibrationFile = files.first();
    options.calibration = std::get<BoardCalibration>(std::move(read));
    return std::nullopt;
}

QCommandLineOption buttons()
{
    return {QStringLiteral("buttons"),
            QStringLiteral("The buttons as LAYOUT: face (the default: the left button is the pad's south face "
                           "button, A, the right one its east, B) or sticks (the stick clicks, as they are on "
                           "the board)."),
            QStringLiteral("LAYOUT")};
}

std::optional<QString> takeButtons(const QStringList &values, GamepadOptions &options)
{
    if (values.isEmpty())
        return std::nullopt;
    if (auto problem = oneValue("buttons", values))
        return problem;
    if (values.first() != QStringLiteral("face") && values.first() != QStringLiteral("sticks"))
        return QStringLiteral("--buttons takes face or sticks, not '%1'").arg(values.first());
    options.stickButtons = values.first() == QStringLiteral("sticks");
    return std::nullopt;
}

QCommandLineOption name()
{
    return {QStringLiteral("name"), QStringLiteral("Give the game controller NAME in place of its own."),
            QStringLiteral("NAME")};
}

std::optional<QString> takeName(const QStringList &values, GamepadOptions &options)
{
    if (values.isEmpty())
        return std::nullopt;
    if (auto problem = oneValue("name", values))
        return problem;
    options.name = values.first().toUtf8();
    return std::nullopt;
}

QCommandLineOption rate()
{
    return {QStringLiteral("rate"),
            QStringLiteral("Ask the board again as soon as each answer is complete, at most N times a second "
                           "(%1 to %2; %3 unless given).")
                .arg(kFewestPerSecond)
                .arg(kMostPerSecond)
                .arg(BoardLink::kMostRequestsPerSecond),
            QStringLiteral("N")};
}

std::optional<QString> takeRate(const QStringList &values, GamepadOptions &options)
{
    if (values.isEmpty())
        return std::nullopt;
    if (auto problem = oneValue("rate", values))
        return problem;
    bool ok = false;
    const int rate = values.first().toInt(&ok);
    if (!ok || rate < kFewestPerSecond || rate > kMostPerSecond)
        return QStringLiteral("--rate takes a number of requests a second from %1 to %2, not '%3'")
            .arg(kFewestPerSecond)
            .arg(kMostPerSecond)
            .arg(values.first());
    options.mostPerSecond = rate;
    return std::nullopt;
}

QCommandLineOption invert()
{
    return {QStringLiteral("invert"),
            QStringLiteral("Turn the axes in AXES (A0 to A3, comma-separated, such as A1,A3) the other way."),
            QStringLiteral("AXES")};
}

std::optional<QString> takeInvert(const QStringList &values, GamepadOptions &options)
{
    for (const QString &value : values) {
        for (const QString &axis : value.split(u',')) {
            const std::optional<size_t> channel = axisNamed(axis);
            if (!channel)
                return QStringLiteral("--invert takes axes A0 to A3, such as A1,A3, not '%1'").arg(value);
            options.inverted[*channel] = true;
        }
    }
    return std::nullopt;
}

QCommandLineOption sdlMapping()
{
    return {QStringLiteral("sdl-mapping"),
            QStringLiteral("Print the SDL game controller mapping line for the game controller as named and laid "
                           "out by the other options, and exit.")};
}

} // namespace

QList<commandline::OptionRule<GamepadOptions>> gamepadOptionRules(bool all)
{
    QList<commandline::OptionRule<GamepadOptions>> rules{
        {calibration(), takeCalibration},
        {buttons(), takeButtons},
    };
    if (all)
        rules << commandline::OptionRule<GamepadOptions>{name(), takeName}
              << commandline::OptionRule<GamepadOptions>{rate(), takeRate}
              << commandline::OptionRule<GamepadOptions>{invert(), takeInvert}
              << commandline::OptionRule<GamepadOptions>{sdlMapping(),
                                                         commandline::whetherGiven(&GamepadOptions::sdlMapping)};
    return rules;
}
