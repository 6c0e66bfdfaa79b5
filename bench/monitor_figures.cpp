#include "figures.h"

#include "tests/support/eventloop.h"
#include "tests/support/monitor.h"
#include "tools/boardsim.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>

// The monitor program: what showing, recording and the details window cost
// over time, and how it follows the board plugged in again. All on the real
// serial layer with the link's real timing.

using namespace std::chrono_literals;

namespace {

// The lines and bytes of a file; none without one.
std::pair<qint64, qint64> linesAndBytes(const QString &path)
{
    QFile file(path);
    const QByteArray text = !path.isEmpty() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    return {text.count('\n'), text.size()};
}

qsizetype openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size();
}

// "median m UNIT, 90th percentile p UNIT, worst w UNIT".
QString describeSpread(std::vector<double> samples, const char *unit, int decimals)
{
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double fraction) {
        return samples.empty() ? 0 : samples[size_t(std::lround(fraction * double(samples.size() - 1)))];
    };
    return QStringLiteral("median %1 %4, 90th percentile %2 %4, worst %3 %4")
        .arg(fixed(at(0.5), decimals), fixed(at(0.9), decimals), fixed(at(1), decimals), QLatin1StringView(unit));
}

} // namespace

// Two joystick-monitor processes at once, each watching a board of its own
// that sends reports unasked, the second with the options after "--" (none:
// how far two alike differ): both see the same machine, whose load moves
// more from one run to the next than such an option costs. Twice at each
// rate, the options on the other board the second time: the CPU of each,
// and with "--record FILE" what the rows take.
int sideBySideFigures(const QStringList &arguments)
{
    const CommandArguments command(arguments);
    const std::chrono::seconds span(command.number(0, 30));
    const QStringList &options = command.monitorOptions;
    const qsizetype recordAt = options.indexOf(QStringLiteral("--record"));
    const QString recording = recordAt < 0 ? QString() : options.value(recordAt + 1);
    FigureTable table;
    for (const QString &rate : command.numbers.size() > 1 ? command.numbers.sliced(1) : QStringList{"5", "1000"}) {
        std::array<double, 2> cpuSeconds{};
        double seconds = 0;
        qint64 rows = 0;
        qint64 bytes = 0;
        for (size_t withOptions = 0; withOptions < 2; ++withOptions) {
            const std::array boards{startBoard(rate), startBoard(rate)};
            const auto optionsOf = [&](size_t i) {
                return portOf(boards[i]) + (i == withOptions ? options : QStringList{});
            };
            const std::array monitors{startMonitor(optionsOf(0)), startMonitor(optionsOf(1))};
            if (!boards[0].ready() || !boards[1].ready() || !monitors[0].ready() || !monitors[1].ready())
                return 1;
            runFor(3s);
            const auto [rowsBefore, bytesBefore] = linesAndBytes(recording);
            const CostOverTime cost = costOver({monitors[0].pid(), monitors[1].pid()}, span);
            const auto [rowsAfter, bytesAfter] = linesAndBytes(recording);
            rows += rowsAfter - rowsBefore;
            bytes += bytesAfter - bytesBefore;
            seconds += cost.seconds;
            for (size_t i = 0; i < monitors.size(); ++i)
                cpuSeconds[i == withOptions] += cost.cpuSeconds[i];
        }
        if (!recording.isEmpty() && rows < 1)
            return failed("the recording monitor recorded nothing");
        const double rowBytes = double(bytes) / double(rows);
        const double rowsPerSecond = double(rows) / seconds;
        table.row(QStringLiteral("%1 reports/s sent unasked to two monitors at once, one with %2, 2 × %3 s")
                      .arg(rate, options.isEmpty() ? QStringLiteral("nothing more") : "`" + options.join(u' ') + "`")
                      .arg(span.count()),
                  cpuWithoutAndWith(100 * cpuSeconds[0] / seconds, 100 * cpuSeconds[1] / seconds)
                      + (recording.isEmpty() ? QString()
                                             : QStringLiteral("; %1 rows/s of %2 bytes: %3 MB an hour")
                                                   .arg(fixed(rowsPerSecond, 1), fixed(rowBytes, 1),
                                                        fixed(rowBytes * rowsPerSecond * 3600 / 1e6, 2))),
                  ratioTarget(options, cpuSeconds[1] / cpuSeconds[0]));
    }
    return 0;
}

// joystick-monitor, with the options after "--", watching a board that
// answers its requests (RATE 0) or sends RATE reports a second unasked, for
// a long while: its resident memory sampled at even gaps, and its CPU.
int memoryFigures(const QStringList &arguments)
{
    const CommandArguments command(arguments);
    const std::chrono::seconds span(command.number(0, 600));
    const std::chrono::seconds gap(std::max(command.number(1, 30), 1));
    const QString rate = QString::number(command.number(2, 0));
    FigureTable table;
    const ChildProgram board = startBoard(rate);
    const ChildProgram monitor = startMonitor(portOf(board) + command.monitorOptions);
    if (!board.ready() || !monitor.ready())
        return 1;
    runFor(2s);
    std::vector<double> samples{residentMegabytes(monitor.pid())};
    const double cpuBefore = cpuSecondsOf(monitor.pid());
    QElapsedTimer clock;
    clock.start();
    for (auto left = span; left > 0s; left -= gap) {
        runFor(std::min(gap, left));
        samples.push_back(residentMegabytes(monitor.pid()));
    }
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    const double cpuPercent = 100 * (cpuSecondsOf(monitor.pid()) - cpuBefore) / seconds;
    const QString options = command.monitorOptions.join(u' ');
    table.row(QStringLiteral("CPU of joystick-monitor%1 watching a board %2, over %3 s")
                  .arg(options.isEmpty() ? QString() : QStringLiteral(" `%1`").arg(options),
                       rate == "0" ? QStringLiteral("that answers") : QStringLiteral("sending %1 reports/s").arg(rate),
                       fixed(seconds, 0)),
              QStringLiteral("%1 % of one core").arg(fixed(cpuPercent, 3)),
              rate == "0" && options.isEmpty() ? target(QStringLiteral("< 1 %"), cpuPercent < 1) : QStringLiteral("-"));
    table.row(QStringLiteral("Its resident memory over the same run, sampled every %1 s").arg(gap.count()),
              QStringLiteral("first %1 MB, last %2 MB, highest %3 MB")
                  .arg(fixed(samples.front(), 2), fixed(samples.back(), 2),
                       fixed(*std::max_element(samples.begin(), samples.end()), 2)),
              target(QStringLiteral("flat: < 1 MB more at the end"), samples.back() - samples.front() < 1));
    return 0;
}

// As in the demo: COM 1 and COM 2 absent, the board on COM 3. Each cycle
// hangs the board up and takes its device away, lets the link give up on
// it and look at the devices again, then plugs a new board with new values
// into COM 3 and sends the change notice. The clock runs from the notice
// to the end of the frame that draws the new board's first report.
int replugFigures(const QStringList &arguments)
{
    const int cycles = CommandArguments(arguments).number(0, 100);
    const LinkTiming timing;
    FigureTable table;
    Monitor monitor({"", "", ""}, timing);
    std::unique_ptr<BoardSimulator> board;
    int16_t expected = -1;
    QElapsedTimer sincePlugged;
    double drawnAfterMs = -1;
    PaintWatch watch(monitor.window.Picture1, [&] {
        if (drawnAfterMs < 0 && monitor.model.lastReport().coordinates[0] == expected)
            drawnAfterMs = double(sincePlugged.nsecsElapsed()) / 1e6;
    });
    monitor.program.start();
    const auto waiting = [&] { return monitor.link.state() == LinkState::Waiting; };
    if (!runUntil(waiting, 30s))
        return failed("the first search did not end");

    std::vector<double> drawnAfter;
    qsizetype descriptorsAfterFirst = 0;
    double memoryAfterFirst = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        board = std::make_unique<BoardSimulator>();
        expected = int16_t(100 + cycle % 800);
        board->setValues(expected, 512, 512, 512, false, false);
        drawnAfterMs = -1;
        sincePlugged.start();
        monitor.setDevices({"", "", board->slavePath()});
        if (runUntil([&] { return drawnAfterMs >= 0; }, 10s))
            drawnAfter.push_back(drawnAfterMs);
        board->hangUp();
        monitor.setDevices({"", "", ""});
        runUntil(waiting, 10s);
        runFor(timing.settle + 500ms);
        if (cycle == 0) {
            descriptorsAfterFirst = openDescriptors();
            memoryAfterFirst = residentMegabytes(QStringLiteral("self"));
        }
    }
    const bool allSoon = qsizetype(drawnAfter.size()) == cycles
                         && std::all_of(drawnAfter.begin(), drawnAfter.end(), [](double ms) { return ms < 2500; });
    table.row(QStringLiteral("Board replugged on COM 3 (COM 1, 2 absent) → its first report drawn, %1 cycles")
                  .arg(cycles),
              describeSpread(drawnAfter, "ms", 0)
                  + QStringLiteral("; %1 of %2 drawn").arg(drawnAfter.size()).arg(cycles),
              target(QStringLiteral("< 2.5 s"), allSoon));
    const double memory = residentMegabytes(QStringLiteral("self"));
    table.row(QStringLiteral("Open descriptors, resident memory after the first and the last cycle"),
              QStringLiteral("%1 → %2; %3 MB → %4 MB")
                  .arg(QString::number(descriptorsAfterFirst), QString::number(openDescriptors()),
                       fixed(memoryAfterFirst, 2), fixed(memory, 2)),
              target(QStringLiteral("no more descriptors, < 1 MB more"),
                     openDescriptors() <= descriptorsAfterFirst && memory - memoryAfterFirst < 1));
    return 0;
}

// joystick-monitor, with the options after "--" (on this system's devices
// without any), from its start to the end of a search that found no board,
// and then waiting for one.
int idleFigures(const QStringList &arguments)
{
    const CommandArguments command(arguments);
    const std::chrono::seconds span(command.number(0, 30));
    FigureTable table;
    const ChildProgram monitor = startMonitor(command.monitorOptions, "no board found");
    if (!monitor.ready())
        return 1;
    const double searchCpu = cpuSecondsOf(monitor.pid());
    const QString options = command.monitorOptions.join(u' ');
    table.row(QStringLiteral("CPU of joystick-monitor %1 from its start to the end of a search that found no board")
                  .arg(options.isEmpty() ? QStringLiteral("on this system's devices") : "`" + options + "`"),
              QStringLiteral("%1 s, start-up and first paint included").arg(fixed(searchCpu, 3)),
              target(QStringLiteral("< 0.3 s"), searchCpu < 0.3));
    const CostOverTime cost = costOver({monitor.pid()}, span);
    const double wakeUps = double(cost.timeslices[0]) / cost.seconds;
    table.row(QStringLiteral("Wake-ups of joystick-monitor waiting for a board, over %1 s").arg(fixed(cost.seconds, 1)),
              QStringLiteral("%1 a second; CPU %2 s").arg(fixed(wakeUps, 2), fixed(cost.cpuSeconds[0], 4)),
              target(QStringLiteral("< 1 a second"), wakeUps < 1));
    return 0;
}
