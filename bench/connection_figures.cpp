#include "figures.h"

#include "support/eventloop.h"
#include "support/monitor.h"
#include "tools/boardsim.h"

#include <QElapsedTimer>
#include <QProcess>

// How the program follows the board plugged in again, and what looking for
// it and waiting for it cost. All with the link's real timing and the real
// serial layer.

using namespace std::chrono_literals;

// As in the demo: COM 1 and COM 2 absent, the board on COM 3. Each cycle
// hangs the board up and takes its device away, lets the link give up on
// it and look at the devices again, then plugs a new board with new values
// into COM 3 and sends the change notice. The clock runs from the notice
// to the end of the frame that draws the new board's first report.
int replugFigures(const QStringList &arguments)
{
    const int cycles = argument(arguments, 0, 100);
    const LinkTiming timing;
    FigureTable table;
    Monitor monitor({"", "", ""}, timing);
    std::unique_ptr<BoardSimulator> board;
    int16_t expected = -1;
    QElapsedTimer sincePlugged;
    double drawnAfterMs = -1;
    PaintWatch watch(monitor.window.Picture1, [&] {
        if (drawnAfterMs < 0 && monitor.model.lastReport().coordinates[0] == expected)
            drawnAfterMs = millisecondsSince(sincePlugged);
    });
    monitor.program.start();
    if (!waitForState(monitor.link, LinkState::Waiting, 30s))
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
        waitForState(monitor.link, LinkState::Waiting, 10s);
        runFor(timing.settle + 500ms);
        if (cycle == 0) {
            descriptorsAfterFirst = openDescriptors();
            memoryAfterFirst = residentMegabytes();
        }
    }
    const Spread spread(drawnAfter);
    table.row(QStringLiteral("Board replugged on COM 3 (COM 1, 2 absent) → its first report drawn, %1 cycles").arg(cycles),
              spread.describe("ms", 0) + QStringLiteral("; %1 of %2 drawn").arg(spread.size()).arg(cycles),
              target(QStringLiteral("< 2.5 s"), spread.size() == cycles && spread.worst() < 2500));
    table.row(QStringLiteral("Open descriptors, resident memory after the first and the last cycle"),
              QStringLiteral("%1 → %2; %3 MB → %4 MB")
                  .arg(descriptorsAfterFirst)
                  .arg(openDescriptors())
                  .arg(memoryAfterFirst, 0, 'f', 2)
                  .arg(residentMegabytes(), 0, 'f', 2),
              target(QStringLiteral("no more descriptors, < 1 MB more"),
                     openDescriptors() <= descriptorsAfterFirst && residentMegabytes() - memoryAfterFirst < 1));
    return 0;
}

// Whole searches of COM 1 to COM 7 on this system's devices, with a short
// wait on each port that opens: what they cost is CPU, not waiting.
int discoveryFigures(const QStringList &arguments)
{
    const int portWaitMs = argument(arguments, 0, 100);
    const int searches = argument(arguments, 1, 5);
    FigureTable table;
    LinkTiming timing;
    timing.portWait = std::chrono::milliseconds(portWaitMs);
    const std::shared_ptr<ComPortMap> ports = ComPortMap::system();
    JoystickMonitor program(ports, nullptr, timing);
    const auto cpuOfSearch = [&](auto begin) {
        const double before = cpuSeconds();
        begin();
        return waitForState(program.session().link(), LinkState::Waiting, 60s) ? cpuSeconds() - before : -1;
    };
    const double withStartUp = cpuOfSearch([&] { program.start(); });
    std::vector<double> searchCpu;
    for (int i = 0; i < searches; ++i)
        searchCpu.push_back(cpuOfSearch([&] { program.session().link().buscarPuerto(); }));
    const Spread spread(searchCpu);
    if (withStartUp < 0 || spread.at(0) < 0)
        return failed("a search did not end");
    table.row(QStringLiteral("CPU of a search of COM 1-7 on this system's devices (%1), %2 ms a port that opens, %3 searches")
                  .arg(ports->devices().join(QStringLiteral(", ")))
                  .arg(portWaitMs)
                  .arg(searches),
              QStringLiteral("median %1 s, worst %2 s; the first, with start-up and first paint: %3 s")
                  .arg(spread.at(0.5), 0, 'f', 4)
                  .arg(spread.worst(), 0, 'f', 4)
                  .arg(withStartUp, 0, 'f', 3),
              target(QStringLiteral("< 0.15 s"), spread.worst() < 0.15));
    return 0;
}

// joystick-monitor waiting for a board after a search on this system's
// devices that found none.
int idleFigures(const QStringList &arguments)
{
    const std::chrono::seconds span(argument(arguments, 0, 30));
    FigureTable table;
    QProcess monitor;
    QByteArray log;
    QObject::connect(&monitor, &QProcess::readyReadStandardError, [&] { log += monitor.readAllStandardError(); });
    monitor.start(QStringLiteral(JOYSTICK_MONITOR), {});
    if (!runUntil([&] { return log.contains("no board found"); }, 60s))
        return failed("joystick-monitor did not end its search: " + QString::fromLocal8Bit(log));
    const CostOverTime cost = costOver(QString::number(monitor.processId()), span);
    table.row(QStringLiteral("Wake-ups of joystick-monitor waiting for a board, over %1 s").arg(cost.seconds, 0, 'f', 1),
              QStringLiteral("%1 a second; CPU %2 s").arg(cost.wakeUpsPerSecond, 0, 'f', 2).arg(cost.cpuSeconds, 0, 'f', 4),
              target(QStringLiteral("< 1 a second"), cost.wakeUpsPerSecond < 1));
    monitor.kill();
    monitor.waitForFinished();
    return 0;
}
