#include "figures.h"

#include "support/eventloop.h"
#include "support/fakeserial.h"
#include "support/monitor.h"
#include "tools/boardsim.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <algorithm>
#include <array>
#include <cstdio>

// How fast and how soon the program shows what the board sends, and what
// showing it costs over time.

using namespace std::chrono_literals;

namespace {

constexpr int kReports = 64;

// Full reports as the board sends them, the sticks moving and the buttons
// changing, so that each one redraws something new. Entry i has A0 = 16 i.
QList<QByteArray> movingReports()
{
    QList<QByteArray> reports;
    for (int i = 0; i < kReports; ++i)
        reports.append(QStringLiteral("A0 %1\r\nA1 %2\r\nA2 %2\r\nA3 %1\r\nA4 %3\r\nA5 %4\r\n")
                           .arg(i * 16)
                           .arg(1023 - i * 16)
                           .arg(i % 2)
                           .arg(i % 3 == 0 ? 0 : 1)
                           .toLatin1());
    return reports;
}

// The monitor found its board on `device` and polls it.
bool startPolling(Monitor &monitor)
{
    monitor.program.start();
    return runUntil([&] { return monitor.link.state() == LinkState::Polling; }, 10s);
}

} // namespace

// Reports handed to the in-memory port as fast as the program takes them, one
// read a report and the event loop run after each, the window painting once a frame.
int receiveFigures(const QStringList &arguments)
{
    const int seconds = argument(arguments, 0, 5);
    FigureTable table;
    auto serial = std::make_unique<FakeSerial>();
    FakeSerial &port = *serial;
    Monitor monitor({QStringLiteral("memory")}, testTiming(), std::move(serial));
    monitor.program.start();
    port.receive("JOYSTICK\r\n");
    if (monitor.link.state() != LinkState::Polling)
        return failed("the board was not found on the in-memory port");
    const QList<QByteArray> reports = movingReports();
    long long characters = 0;
    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000) {
        for (const QByteArray &report : reports) {
            port.receive(report);
            characters += report.size();
            QCoreApplication::processEvents();
        }
    }
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    const double cpu = cpuSeconds() - cpuBefore;
    if (monitor.model.lastReport().coordinates[0] != (kReports - 1) * 16)
        return failed("the last report did not reach the model");
    table.row(QStringLiteral("Receive throughput in-process: in-memory port → link → model → window, full reports"),
              QStringLiteral("%1 chars per CPU second; by the wall clock %2 chars/s, %3 s")
                  .arg(double(characters) / cpu, 0, 'f', 0)
                  .arg(double(characters) / wall, 0, 'f', 0)
                  .arg(wall, 0, 'f', 1),
              target(QStringLiteral("≥ 1,000,000 chars per CPU second"), double(characters) / cpu >= 1e6));
    return 0;
}

// Five reports a second, as a polled board sends them. The first five lines
// of each go 100 ms ahead, so only the closing "A5" line is timed: from
// its write to the pty to the end of the frame that shows it.
int latencyFigures(const QStringList &arguments)
{
    const int reports = argument(arguments, 0, 300);
    FigureTable table;
    BoardOptions quiet;
    quiet.noAnswer = true;
    BoardSimulator board(quiet);
    Monitor monitor({board.slavePath()}, LinkTiming{});
    if (!startPolling(monitor))
        return failed("the board was not found");
    runFor(500ms);
    QElapsedTimer sinceWritten;
    double shownAfterMs = -1;
    PaintWatch watch(monitor.window.Picture1, [&] { shownAfterMs = millisecondsSince(sinceWritten); });
    const QList<QByteArray> moving = movingReports();
    std::vector<double> latencies;
    for (int i = 0; i < reports; ++i) {
        const QByteArray &report = moving[i % kReports];
        const qsizetype closingLine = report.lastIndexOf("A5");
        board.sendRaw(report.first(closingLine));
        runFor(100ms);
        shownAfterMs = -1;
        sinceWritten.start();
        board.sendRaw(report.sliced(closingLine));
        if (runUntil([&] { return shownAfterMs >= 0; }, 1s))
            latencies.push_back(shownAfterMs);
        runFor(100ms);
    }
    const Spread spread(latencies);
    table.row(QStringLiteral("Display latency at 5 reports/s: \"A5\" line written → end of the frame showing it, %1 reports")
                  .arg(reports),
              spread.describe("ms", 2) + QStringLiteral("; %1 not shown within 1 s").arg(reports - spread.size()));
    return 0;
}

// A board sending reports unasked at each rate, in its own process: how
// many the monitor reads, how often it paints, and its CPU.
int frameFigures(const QStringList &arguments)
{
    const std::chrono::seconds span(argument(arguments, 0, 10));
    const QStringList rates = arguments.size() > 1 ? arguments.mid(1) : QStringList{"100", "1000"};
    FigureTable table;
    for (const QString &rate : rates) {
        BoardProcess board({QStringLiteral("--rate"), rate, QStringLiteral("--no-answer")});
        Monitor monitor({board.slavePath()}, LinkTiming{});
        long long frames = 0;
        long long textRefreshes = 0;
        PaintWatch watch(monitor.window.Picture1, [&] { ++frames; });
        // A refresh sets the value boxes that changed, all in the same pass.
        QElapsedTimer sinceStart;
        sinceStart.start();
        qint64 lastRefreshMs = -1;
        for (QLineEdit *box : {monitor.window.vA0, monitor.window.vA1, monitor.window.vA2, monitor.window.vA3})
            QObject::connect(box, &QLineEdit::textChanged, [&] {
                textRefreshes += sinceStart.elapsed() != lastRefreshMs;
                lastRefreshMs = sinceStart.elapsed();
            });
        if (!startPolling(monitor))
            return failed("the board was not found");
        runFor(1s);
        frames = textRefreshes = 0;
        const quint64 reportsBefore = monitor.model.lastReport().number;
        const CostOverTime cost = costOver(QStringLiteral("self"), span);
        const double reports = double(monitor.model.lastReport().number - reportsBefore);
        const double framesPerSecond = double(frames) / cost.seconds;
        const double textsPerSecond = double(textRefreshes) / cost.seconds;
        table.row(QStringLiteral("%1 reports/s sent unasked, over %2 s").arg(rate).arg(cost.seconds, 0, 'f', 1),
                  QStringLiteral("%1 reports/s read, %2 frames/s painted, the value texts refreshed %3 times/s; CPU %4 % of one core")
                      .arg(reports / cost.seconds, 0, 'f', 0)
                      .arg(framesPerSecond, 0, 'f', 1)
                      .arg(textsPerSecond, 0, 'f', 1)
                      .arg(100 * cost.cpuSeconds / cost.seconds, 0, 'f', 2),
                  target(QStringLiteral("≥ 20 frames/s (a frame a report below that, 5 % spared for the timers), "
                                        "≥ 10 text refreshes/s"),
                         framesPerSecond >= 0.95 * std::min(20.0, reports / cost.seconds) && textsPerSecond >= 10));
    }
    return 0;
}

// Two monitors at once, each joystick-monitor in a process of its own
// watching a board of its own that sends reports unasked, one of them
// recording: both see the same machine, whose load moves more from one run
// to the next than recording costs. Twice at each rate, the recording on
// the other board the second time: the CPU of each, and what the rows take.
int recordingFigures(const QStringList &arguments)
{
    const std::chrono::seconds span(argument(arguments, 0, 30));
    const QStringList rates = arguments.size() > 1 ? arguments.mid(1) : QStringList{"5", "1000"};
    FigureTable table;
    const QTemporaryDir dir;
    const auto rowsIn = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll().count('\n') - 1 : 0;
    };
    for (const QString &rate : rates) {
        std::array<double, 2> cpuSeconds{};
        double seconds = 0;
        qint64 rows = 0;
        qint64 bytes = 0;
        for (size_t recorder = 0; recorder < 2; ++recorder) {
            const QString file = dir.filePath(QStringLiteral("%1-%2.csv").arg(rate).arg(recorder));
            const QStringList sending{QStringLiteral("--rate"), rate, QStringLiteral("--no-answer")};
            const std::array<BoardProcess, 2> boards{BoardProcess(sending), BoardProcess(sending)};
            std::array<QProcess, 2> monitors;
            for (size_t i = 0; i < monitors.size(); ++i) {
                QStringList monitorArguments{QStringLiteral("--port"), boards[i].slavePath()};
                if (i == recorder)
                    monitorArguments << QStringLiteral("--record") << file;
                monitors[i].start(QStringLiteral(JOYSTICK_MONITOR), monitorArguments);
            }
            runFor(3s);
            const qint64 rowsBefore = rowsIn(file);
            if (rowsBefore < 1)
                return failed("the recording monitor records nothing");
            const qint64 bytesBefore = QFileInfo(file).size();
            const auto cpuOf = [](const QProcess &p) { return processCost(QString::number(p.processId())).cpuSeconds; };
            const std::array before{cpuOf(monitors[0]), cpuOf(monitors[1])};
            QElapsedTimer clock;
            clock.start();
            runFor(span);
            const std::array after{cpuOf(monitors[0]), cpuOf(monitors[1])};
            seconds += double(clock.nsecsElapsed()) / 1e9;
            for (size_t i = 0; i < monitors.size(); ++i)
                cpuSeconds[i == recorder] += after[i] - before[i];
            rows += rowsIn(file) - rowsBefore;
            bytes += QFileInfo(file).size() - bytesBefore;
            for (QProcess &monitor : monitors) {
                monitor.terminate();
                monitor.waitForFinished();
            }
        }
        const auto percent = [&](double cpu) { return 100 * cpu / seconds; };
        const double more = cpuSeconds[1] / cpuSeconds[0] - 1;
        const double bytesPerRow = double(bytes) / double(rows);
        table.row(QStringLiteral("%1 reports/s sent unasked to two monitors at once, one recording, 2 × %2 s")
                      .arg(rate)
                      .arg(span.count()),
                  QStringLiteral("CPU %1 % of one core without, %2 % with (%3%4 %); %5 rows/s of %6 bytes: "
                                 "%7 MB an hour")
                      .arg(percent(cpuSeconds[0]), 0, 'f', 2)
                      .arg(percent(cpuSeconds[1]), 0, 'f', 2)
                      .arg(more < 0 ? "" : "+")
                      .arg(100 * more, 0, 'f', 1)
                      .arg(double(rows) / seconds, 0, 'f', 1)
                      .arg(bytesPerRow, 0, 'f', 1)
                      .arg(bytesPerRow * double(rows) / seconds * 3600 / 1e6, 0, 'f', 2),
                  target(QStringLiteral("< 10 % more CPU"), more < 0.1));
    }
    return 0;
}

// The monitor polling a board, in its own process, for a long while:
// resident memory sampled at even gaps, and the CPU of it all.
int memoryFigures(const QStringList &arguments)
{
    const int seconds = argument(arguments, 0, 600);
    const int gap = argument(arguments, 1, 30);
    FigureTable table;
    BoardProcess board({});
    Monitor monitor({board.slavePath()}, LinkTiming{});
    long long drawn = 0;
    PaintWatch watch(monitor.window.Picture1, [&] { ++drawn; });
    if (!startPolling(monitor))
        return failed("the board was not found");
    runFor(2s);
    drawn = 0;
    std::vector<double> samples{residentMegabytes()};
    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < seconds * 1000LL) {
        runFor(std::chrono::milliseconds(qMin<qint64>(gap * 1000LL, seconds * 1000LL - clock.elapsed())));
        samples.push_back(residentMegabytes());
    }
    const double wall = double(clock.nsecsElapsed()) / 1e9;
    const double cpuPercent = 100 * (cpuSeconds() - cpuBefore) / wall;
    table.row(QStringLiteral("CPU while polling a board that answers (%1 reports drawn a second), over %2 s")
                  .arg(double(drawn) / wall, 0, 'f', 2)
                  .arg(wall, 0, 'f', 0),
              QStringLiteral("%1 % of one core").arg(cpuPercent, 0, 'f', 3),
              target(QStringLiteral("< 1 %"), cpuPercent < 1));
    const double growth = samples.back() - samples.front();
    table.row(QStringLiteral("Resident memory over the same run, sampled every %1 s").arg(gap),
              QStringLiteral("first %1 MB, last %2 MB, highest %3 MB")
                  .arg(samples.front(), 0, 'f', 2)
                  .arg(samples.back(), 0, 'f', 2)
                  .arg(*std::max_element(samples.begin(), samples.end()), 0, 'f', 2),
              target(QStringLiteral("flat: < 1 MB more at the end"), growth < 1));
    return 0;
}

// The monitor on one device until it is ended: its side of the comparison
// with CuteCom (bench/compare-cutecom). Says "polling" once it polls.
int watchDevice(const QStringList &arguments)
{
    if (arguments.isEmpty())
        return failed("watch needs a device");
    Monitor monitor({arguments.first()}, LinkTiming{});
    QObject::connect(&monitor.link, &BoardLink::stateChanged, [](LinkState state) {
        if (state == LinkState::Polling) {
            std::printf("polling\n");
            std::fflush(stdout);
        }
    });
    monitor.program.start();
    return QCoreApplication::exec();
}
