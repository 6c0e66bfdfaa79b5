#include "figures.h"

#include "session/session.h"
#include "tests/support/eventloop.h"
#include "tests/support/monitor.h"

#include <QElapsedTimer>

#include <optional>

// The link alone: how many reports a second it takes from a board on a
// serial line of a given speed, polling at the fixed interval or after each
// answer, against what the line carries.

using namespace std::chrono_literals;

namespace {

// The simulated board's lines end in a carriage return and a line feed,
// which the link takes off.
constexpr qint64 kLineEndBytes = 2;
// "DATA\n".
constexpr double kRequestBytes = 5;

struct PollingRun {
    double reportsPerSecond = 0;
    double bytesPerAnswer = 0;
};

// A board of its own, paced at `baud`, polled by a session for `span` once
// it has answered.
std::optional<PollingRun> pollFor(int baud, bool afterEachAnswer, std::chrono::milliseconds span)
{
    const ChildProgram board(QStringLiteral(JOYSTICK_BOARD_SIM), {QStringLiteral("--baud"), QString::number(baud)},
                             "\n");
    if (!board.ready())
        return std::nullopt;
    BoardSession session(fixedPorts({board.firstLine()}));
    if (afterEachAnswer)
        session.link().pollAfterEachAnswer();
    // The bytes of the lines before each report's last, taken as it
    // completes: from one report to another, the bytes of the reports between.
    qint64 bytes = 0;
    qint64 bytesAtReport = 0;
    QObject::connect(&session.lines(), &BoardLines::arrived, [&](const BoardLine &line) {
        bytes += line.text.size() + kLineEndBytes;
        if (line.report)
            bytesAtReport = bytes;
    });
    session.link().buscarPuerto();
    if (!runUntil([&] { return session.model().lastReport().number > 1; }, 10s))
        return std::nullopt;
    const quint64 reportsBefore = session.model().lastReport().number;
    const qint64 bytesBefore = bytesAtReport;
    QElapsedTimer clock;
    clock.start();
    runFor(span);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    const auto reports = double(session.model().lastReport().number - reportsBefore);
    return PollingRun{reports / seconds, double(bytesAtReport - bytesBefore) / reports};
}

} // namespace

// A board sending as a UART at BAUD does, polled at the fixed interval and
// then after each answer (at most BoardLink::kMostRequestsPerSecond a
// second): the reports a second, each answer's bytes, and the share of the
// line's limit, BAUD / 10 bits a byte / the answer's bytes.
int lineRateFigures(const QStringList &arguments)
{
    const CommandArguments command(arguments);
    const std::chrono::seconds span(command.number(0, 10));
    // At least the slowest rate serial lines have.
    const int baud = qMax(command.number(1, 9600), 300);
    FigureTable table;
    for (const bool afterEachAnswer : {false, true}) {
        const std::optional<PollingRun> run = pollFor(baud, afterEachAnswer, span);
        if (!run)
            return failed(QStringLiteral("the board did not answer"));
        const double bytesPerSecond = baud / 10.0;
        const double limit = bytesPerSecond / run->bytesPerAnswer;
        const double requestFirstLimit = bytesPerSecond / (run->bytesPerAnswer + kRequestBytes);
        const QString polled =
            afterEachAnswer
                ? QStringLiteral("after each answer (at most %1 a second)").arg(BoardLink::kMostRequestsPerSecond)
                : QStringLiteral("every %1 ms").arg(LinkTiming{}.pollInterval.count());
        const double share = run->reportsPerSecond / limit;
        table.row(QStringLiteral("Board at %1 baud polled %2, over %3 s").arg(baud).arg(polled).arg(span.count()),
                  QStringLiteral("%1 reports/s of %2 bytes: %3 % of the %4 the line carries (%5 with the request's "
                                 "bytes before each answer)")
                      .arg(fixed(run->reportsPerSecond, 2), fixed(run->bytesPerAnswer, 1), fixed(100 * share, 1),
                           fixed(limit, 2), fixed(requestFirstLimit, 2)),
                  afterEachAnswer ? target(QStringLiteral("≥ 95 % of the line's limit"), share >= 0.95)
                                  : QStringLiteral("-"));
    }
    return 0;
}
