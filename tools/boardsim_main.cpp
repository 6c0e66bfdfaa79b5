#include "tools/boardsim.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTextStream>

#include <signal.h>
#include <sys/signalfd.h>

#include <cstdlib>

namespace {

struct SimOptions {
    QCommandLineOption noAnswer{"no-answer", "Never answer requests."};
    QCommandLineOption noKeyword{"no-keyword", "Never announce the keyword."};
    QCommandLineOption garbage{"garbage", "Send random bytes (never a line feed) before every line."};
    QCommandLineOption noLineFeeds{"no-line-feeds", "Send carriage returns instead of line feeds."};
    QCommandLineOption hangUpAfter{"hang-up-after", "Answer <n> requests, then hang up at the next.", "n", "0"};
    QCommandLineOption rate{"rate", "Send <r> reports per second unasked.", "r", "0"};
    QCommandLineOption announceDelay{"announce-delay", "Announce first after <ms>.", "ms", "0"};
    QCommandLineOption announceInterval{"announce-interval", "Announce every <ms>.", "ms", "500"};
};

double nonNegativeNumber(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    bool ok = false;
    const double value = parser.value(option).toDouble(&ok);
    if (!ok || value < 0) {
        QTextStream(stderr) << "Invalid value for --" << option.names().constFirst() << ": "
                            << parser.value(option) << Qt::endl;
        std::exit(EXIT_FAILURE);
    }
    return value;
}

BoardOptions parseOptions(const QCoreApplication &app)
{
    const SimOptions sim;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Simulates the joystick board on a pseudo-terminal and prints its path.");
    parser.addHelpOption();
    parser.addOptions({sim.noAnswer, sim.noKeyword, sim.garbage, sim.noLineFeeds,
                       sim.hangUpAfter, sim.rate, sim.announceDelay, sim.announceInterval});
    parser.process(app);

    BoardOptions options;
    options.noAnswer = parser.isSet(sim.noAnswer);
    options.noKeyword = parser.isSet(sim.noKeyword);
    options.garbage = parser.isSet(sim.garbage);
    options.noLineFeeds = parser.isSet(sim.noLineFeeds);
    options.hangUpAfterRequests = int(nonNegativeNumber(parser, sim.hangUpAfter));
    options.reportsPerSecond = nonNegativeNumber(parser, sim.rate);
    options.announceDelayMs = int(nonNegativeNumber(parser, sim.announceDelay));
    options.announceIntervalMs = int(nonNegativeNumber(parser, sim.announceInterval));
    return options;
}

// SIGINT and SIGTERM are blocked and delivered through a descriptor instead,
// so the event loop can end normally and the board closes its pty. Called
// before any thread starts, so every thread inherits the blocked mask.
int terminationSignalFd()
{
    sigset_t terminationSignals;
    sigemptyset(&terminationSignals);
    sigaddset(&terminationSignals, SIGINT);
    sigaddset(&terminationSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &terminationSignals, nullptr);
    return signalfd(-1, &terminationSignals, SFD_CLOEXEC);
}

} // namespace

int main(int argc, char *argv[])
{
    const int signalFd = terminationSignalFd();
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("joystick-board-sim");
    const BoardOptions options = parseOptions(app);

    BoardSimulator board(options);
    if (board.isHungUp()) {
        QTextStream(stderr) << "Cannot create a pseudo-terminal" << Qt::endl;
        return EXIT_FAILURE;
    }
    QTextStream(stdout) << board.slavePath() << Qt::endl;

    QSocketNotifier signalNotifier(signalFd, QSocketNotifier::Read);
    QObject::connect(&signalNotifier, &QSocketNotifier::activated, &app, &QCoreApplication::quit);
    return app.exec();
}
