#include "programs/stats/statsoptions.h"

#include "programs/common/commandline.h"

std::optional<int> parseStatsOptions(const QStringList &arguments, StatsOptions &options)
{
    const QCommandLineOption json(QStringLiteral("json"),
                                  QStringLiteral("Print the figures as one JSON object in place of a table."));
    const commandline::Program program{
        .name = QStringLiteral("joystick-stats"),
        .description = QStringLiteral(
            "Prints a joystick board's statistics from recordings, the CSV files of joystick-monitor --record "
            "and joystick-log: reports, sessions, rate and intervals; each axis's range, centre, noise and "
            "dead zone; the buttons' presses. Several files make one body of figures, each file a session or "
            "more of its own. A file that is no recording is named with the reason, and nothing is printed."),
        .options = {json},
        .positionalArguments = {{QStringLiteral("FILE"), QStringLiteral("A recording; - for standard input."), true}},
        .qtWindowOptions = false,
    };
    QCommandLineParser parser;
    if (const auto exitStatus = commandline::parse(program, parser, arguments))
        return exitStatus;
    options.files = parser.positionalArguments();
    options.json = parser.isSet(json);
    return std::nullopt;
}
