#include "programs/common/commandline.h"
#include "programs/common/terminationsignals.h"
#include "tools/boardsim.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QTextStream>

#include <cmath>
#include <cstdlib>
#include <initializer_list>
#include <optional>

namespace {

struct SimOptions {
    QCommandLineOption noAnswer{"no-answer", "Never answer requests."};
    QCommandLineOption noKeyword{"no-keyword", "Never announce the keyword."};
    QCommandLineOption garbage{"garbage", "Send random bytes (never a line feed) before every line."};
    QCommandLineOption noLineFeeds{"no-line-feeds", "Send carriage returns instead of line feeds."};
    QCommandLineOption hangUpAfter{"hang-up-after", "Answer <n> requests, then hang up at the next.", "n", "0"};
    QCommandLineOption rate{"rate", "Send <r> reports per second unasked.", "r", "0"};
    QCommandLineOption announceDelay{"announce-delay", "Announce first after <ms>.", "ms", "0"};
    QCommandLineOption announceInterval{"announce-interval", "Announce every <ms> while not asked for a second.", "ms",
                                        "500"};
    QCommandLineOption stamp{"stamp", "Put the time each report is sent in place of the left stick: A0 the "
                                      "seconds since start, A1 the milliseconds past them."};
    QCommandLineOption baud{"baud", "Send no faster than a serial line of <bits> a second, 10 bits a byte.", "bits",
                            "0"};
};

// The first of `options` whose value is no number of at least 0, if any.
const QCommandLineOption *badNumber(const QCommandLineParser &parser,
                                    std::initializer_list<const QCommandLineOption *> options)
{
    for (const QCommandLineOption *option : options) {
        bool ok = false;
        const double value = parser.value(*option).toDouble(&ok);
        if (!ok || !std::isfinite(value) || value < 0)
            return option;
    }
    return nullptr;
}

double number(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    return parser.value(option).toDouble();
}

// Reads the command line into `options`; the status to exit with at once,
// if any.
std::optional<int> parseOptions(const QStringList &arguments, BoardOptions &options)
{
    const SimOptions sim;
    const commandline::Program program{
        .name = "joystick-board-sim",
        .description = "Simulates the joystick board on a pseudo-terminal and prints its path.",
        .options = {sim.noAnswer, sim.noKeyword, sim.garbage, sim.noLineFeeds, sim.hangUpAfter, sim.rate,
                    sim.announceDelay, sim.announceInterval, sim.stamp, sim.baud},
        .positionalArguments = {},
        .qtWindowOptions = false,
    };
    QCommandLineParser parser;
    if (const auto exitStatus = commandline::parse(program, parser, arguments))
        return exitStatus;
    if (const QCommandLineOption *bad =
            badNumber(parser, {&sim.hangUpAfter, &sim.rate, &sim.announceDelay, &sim.announceInterval, &sim.baud})) {
        return commandline::refuse(
            QStringLiteral("invalid value for --%1: %2").arg(bad->names().constFirst(), parser.value(*bad)));
    }

    options.noAnswer = parser.isSet(sim.noAnswer);
    options.noKeyword = parser.isSet(sim.noKeyword);
    options.garbage = parser.isSet(sim.garbage);
    options.noLineFeeds = parser.isSet(sim.noLineFeeds);
    options.hangUpAfterRequests = int(number(parser, sim.hangUpAfter));
    options.reportsPerSecond = number(parser, sim.rate);
    options.announceDelayMs = int(number(parser, sim.announceDelay));
    options.announceIntervalMs = int(number(parser, sim.announceInterval));
    options.stampTime = parser.isSet(sim.stamp);
    options.baud = int(number(parser, sim.baud));
    return std::nullopt;
}

} // namespace

int main(int argc, char *argv[])
{
    BoardOptions options;
    if (const auto exitStatus = parseOptions(commandline::arguments(argc, argv), options))
        return *exitStatus;
    holdTerminationRequests();
    QCoreApplication app(argc, argv);

    BoardSimulator board(options);
    if (board.isHungUp()) {
        QTextStream(stderr) << "Cannot create a pseudo-terminal" << Qt::endl;
        return EXIT_FAILURE;
    }
    QTextStream(stdout) << board.slavePath() << Qt::endl;

    onTerminationRequest(&app, &QCoreApplication::quit);
    return app.exec();
}
