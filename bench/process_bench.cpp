#include "support/eventloop.h"
#include "support/monitor.h"
#include "tools/boardsim.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

// Whole-program figures of the monitor: start-up, discovery, polling,
// memory over time, display latency, a flood of reports and the board
// coming and going, measured inside the process with the real window and
// the real serial layer. Every figure is printed as a "name=value" line so
// that scripts can pick it up.

namespace {

// The process's resident set size (VmRSS), or -1 where it cannot be read.
double residentMegabytes()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line; !(line = status.readLine()).isEmpty();)
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024;
    return -1;
}

// How many file descriptors the process has open.
qsizetype openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size();
}

// Seconds since this process started, from the kernel's record of its start
// (kept in clock ticks, so good to 10 ms).
double secondsSinceProcessStart()
{
    QFile stat("/proc/self/stat");
    if (!stat.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray text = stat.readAll();
    const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
    const double startedAt = fields.value(19).toDouble() / double(sysconf(_SC_CLK_TCK));
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return double(now.tv_sec) + double(now.tv_nsec) / 1e9 - startedAt;
}

void printFigure(const char *name, double value, const char *format = "%.3f")
{
    std::printf("%s=", name);
    std::printf(format, value);
    std::printf("\n");
    std::fflush(stdout);
}

// A device that says nothing unless this process makes it.
BoardOptions silentDevice()
{
    BoardOptions options;
    options.noKeyword = true;
    options.noAnswer = true;
    return options;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

// Start-up and a discovery that finds no board. With `silentPorts` 0 all
// seven ports are absent; otherwise the first `silentPorts` ports are
// pseudo-terminals that open but never answer, as serial devices without
// the board do.
int startupAndDiscovery(int silentPorts)
{
    std::vector<std::unique_ptr<BoardSimulator>> lines;
    QStringList devices;
    for (int i = 0; i < silentPorts; ++i) {
        lines.push_back(std::make_unique<BoardSimulator>(silentDevice()));
        devices << lines.back()->slavePath();
    }
    Monitor monitor(devices, ventana::kPortWait);
    ventana *window = &monitor.window;
    double shownAfter = -1;
    PaintWatch watch(window, [&] {
        if (shownAfter < 0)
            shownAfter = secondsSinceProcessStart();
    });
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = cpuSeconds();
    window->Form_Load();
    const double wall = double(clock.elapsed()) / 1000.0;
    const double cpu = cpuSeconds() - cpuBefore;
    if (window->portok != 0 || window->puerto != 7) {
        std::fprintf(stderr, "discovery did not run through port 7 without finding a board\n");
        return 1;
    }
    printFigure("present_ports", silentPorts, "%.0f");
    printFigure("window_shown_ms", shownAfter * 1000, "%.0f");
    printFigure("discovery_wall_s", wall, "%.2f");
    printFigure("discovery_cpu_s", cpu);
    printFigure("rss_after_discovery_mb", residentMegabytes(), "%.1f");
    printFigure("process_cpu_s", cpuSeconds());
    return 0;
}

// The monitor after discovery on `device` alone; null unless the board
// announced itself there.
std::unique_ptr<Monitor> connectedMonitor(const QString &device)
{
    auto monitor = std::make_unique<Monitor>(QStringList{device}, ventana::kPortWait);
    monitor->window.Form_Load();
    if (monitor->window.portok != 1) {
        std::fprintf(stderr, "no board answered on %s\n", qPrintable(device));
        return nullptr;
    }
    return monitor;
}

// CPU and memory while polling the board on `device` for `seconds`, after
// two seconds to settle. Resident memory is sampled every `sampleSeconds`,
// first when the measurement starts and last when it ends.
int polling(const QString &device, int seconds, int sampleSeconds)
{
    const auto monitor = connectedMonitor(device);
    if (!monitor)
        return 1;
    ventana *window = &monitor->window;
    runFor(std::chrono::seconds(2));

    long long reportsDrawn = 0;
    PaintWatch watch(window->Picture1, [&] { ++reportsDrawn; });
    std::vector<double> samples{residentMegabytes()};
    std::printf("rss_sample_mb t=0 %.2f\n", samples.back());
    std::fflush(stdout);
    const double cpuBefore = cpuSeconds();
    QElapsedTimer clock;
    clock.start();
    for (int elapsed = 0; elapsed < seconds;) {
        const int step = std::min(sampleSeconds, seconds - elapsed);
        runFor(std::chrono::seconds(step));
        elapsed += step;
        samples.push_back(residentMegabytes());
        std::printf("rss_sample_mb t=%d %.2f\n", elapsed, samples.back());
        std::fflush(stdout);
    }
    const double cpu = cpuSeconds() - cpuBefore;
    const double wall = double(clock.elapsed()) / 1000.0;

    printFigure("poll_seconds", wall, "%.1f");
    printFigure("poll_cpu_s", cpu);
    printFigure("poll_cpu_percent", 100.0 * cpu / wall);
    printFigure("poll_cpu_s_per_minute", 60.0 * cpu / wall);
    printFigure("reports_drawn", double(reportsDrawn), "%.0f");
    printFigure("reports_drawn_per_second", double(reportsDrawn) / wall, "%.2f");
    printFigure("rss_first_mb", samples.front(), "%.2f");
    printFigure("rss_last_mb", samples.back(), "%.2f");
    printFigure("rss_max_mb", *std::max_element(samples.begin(), samples.end()), "%.2f");
    return reportsDrawn > 0 ? 0 : 1;
}

// Time from an "A5" line written to the pty to the end of the frame that
// shows it: the repaint of the left picture and the flush to the screen
// that follows in the same pass. Reports come five a second, as the board
// sends them when polled: the other five lines of each report go half a
// period ahead, so that only the closing line is timed, and the next report
// starts half a period after it.
int latency(int reports)
{
    constexpr std::chrono::milliseconds kHalfReportPeriod{100};
    BoardSimulator board(silentDevice());
    Monitor monitor({board.slavePath()});
    ventana *window = &monitor.window;
    window->show();
    window->CLAVE = QStringLiteral("JOYSTICK");
    window->puerto = 1;
    window->serial();
    runFor(std::chrono::milliseconds(300));

    bool painted = false;
    PaintWatch watch(window->Picture1, [&] { painted = true; });
    std::vector<double> latencies;
    int missed = 0;
    for (int i = 0; i < reports; ++i) {
        const int x = 64 + (i * 37) % 896;
        board.sendRaw(QStringLiteral("A0 %1\r\nA1 %2\r\nA2 %2\r\nA3 %1\r\nA4 %3\r\n")
                       .arg(x)
                       .arg(1023 - x)
                       .arg(i % 2)
                       .toLatin1());
        runFor(kHalfReportPeriod);
        painted = false;
        QElapsedTimer clock;
        clock.start();
        board.sendRaw(QStringLiteral("A5 %1\r\n").arg(i % 3).toLatin1());
        const QDeadlineTimer limit(1000);
        while (!painted && !limit.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!painted)
            ++missed;
        latencies.push_back(double(clock.nsecsElapsed()) / 1e6);
        runFor(kHalfReportPeriod);
    }
    printFigure("latency_reports", reports, "%.0f");
    printFigure("latency_median_ms", median(latencies), "%.2f");
    std::sort(latencies.begin(), latencies.end());
    printFigure("latency_p90_ms", latencies[latencies.size() * 9 / 10], "%.2f");
    printFigure("latency_worst_ms", latencies.back(), "%.2f");
    printFigure("latency_missed", missed, "%.0f");
    return missed == 0 ? 0 : 1;
}

// A board sending reports as fast as the pty takes them for `seconds`,
// while the monitor polls it. The board moves the sticks in steps; step k
// reports A0 = k, A1 = 200 + k, A2 = 400 + k, A3 = 600 + k, the right button
// pressed on odd steps and the left one on even steps, so every complete
// report shown must fit that pattern.
int flood(int seconds)
{
    BoardOptions flooding;
    flooding.reportsPerSecond = 1e9;
    flooding.reportsDelayMs = 400;
    BoardSimulator board(flooding);
    int step = 0;
    const auto setStep = [&] {
        board.setValues(step, 200 + step, 400 + step, 600 + step, step % 2 == 1, step % 2 == 0);
    };
    setStep();
    QTimer stepper;
    QObject::connect(&stepper, &QTimer::timeout, &board, [&] {
        step = (step + 1) % 100;
        setStep();
    });
    stepper.start(100);

    Monitor monitor({board.slavePath()}, std::chrono::milliseconds(300));
    ventana &w = monitor.window;
    w.Form_Load();
    if (w.portok != 1) {
        std::fprintf(stderr, "the flooding board was not found\n");
        return 1;
    }
    long long reports = 0;
    int misreads = 0;
    QString lastLine;
    QObject::connect(w.MSComm1, &SerialControl::OnComm, &w, [&] {
        if (w.linea.isEmpty() && lastLine.startsWith(QLatin1String("A5 "))) {
            ++reports;
            const bool odd = w.iA0 % 2 == 1;
            if (w.iA1 != w.iA0 + 200 || w.iA2 != w.iA0 + 400 || w.iA3 != w.iA0 + 600
                || w.vA4->isChecked() != odd || w.vA5->isChecked() == odd)
                ++misreads;
        }
        lastLine = w.linea;
    });
    QElapsedTimer sincePaint;
    qint64 worstPaintGapMs = 0;
    long long paints = 0;
    PaintWatch watch(w.Picture1, [&] {
        if (paints++ > 0)
            worstPaintGapMs = std::max(worstPaintGapMs, sincePaint.elapsed());
        sincePaint.restart();
    });
    const int requestsBefore = board.requestCount();
    runFor(std::chrono::seconds(seconds));

    printFigure("flood_seconds", seconds, "%.0f");
    printFigure("flood_reports_per_second", double(reports) / seconds, "%.0f");
    printFigure("flood_misreads", misreads, "%.0f");
    printFigure("flood_paints_per_second", double(paints) / seconds, "%.1f");
    printFigure("flood_worst_paint_gap_ms", double(worstPaintGapMs), "%.0f");
    printFigure("flood_requests_per_second", double(board.requestCount() - requestsBefore) / seconds, "%.1f");
    return misreads == 0 && reports > 0 ? 0 : 1;
}

// The board pulled and plugged in again `cycles` times: how long from the
// device appearing to the first report drawn, and whether descriptors or
// memory are left behind. Each cycle plugs a new board into COM 1, waits
// for its report on screen and for discovery to end, then pulls it.
int reconnect(int cycles, std::chrono::milliseconds portWait)
{
    Monitor monitor({}, portWait);
    ventana &w = monitor.window;
    w.show();
    w.Form_Load();
    int expected = -1;
    QElapsedTimer sincePlugged;
    double drawnAfterMs = -1;
    PaintWatch watch(w.Picture1, [&] {
        if (drawnAfterMs < 0 && w.iA0 == expected)
            drawnAfterMs = double(sincePlugged.nsecsElapsed()) / 1e6;
    });
    std::vector<double> drawnAfter;
    qsizetype descriptorsAfterFirst = 0;
    double memoryAfterFirst = 0;
    int missed = 0;
    for (int cycle = 0; cycle < cycles; ++cycle) {
        BoardSimulator board;
        expected = cycle % 1000;
        board.setValues(expected, 512, 512, 512, false, false);
        drawnAfterMs = -1;
        sincePlugged.start();
        monitor.setDevices({board.slavePath()});
        if (!runUntil([&] { return drawnAfterMs >= 0; }, std::chrono::seconds(10))) {
            ++missed;
            continue;
        }
        drawnAfter.push_back(drawnAfterMs);
        runFor(portWait + std::chrono::milliseconds(200));
        board.hangUp();
        monitor.setDevices({});
        runUntil([&] { return w.portok == 0; });
        if (cycle == 0) {
            descriptorsAfterFirst = openDescriptors();
            memoryAfterFirst = residentMegabytes();
        }
    }
    std::sort(drawnAfter.begin(), drawnAfter.end());
    printFigure("reconnect_cycles", cycles, "%.0f");
    printFigure("reconnect_missed", missed, "%.0f");
    printFigure("first_drawn_median_ms", median(drawnAfter), "%.0f");
    printFigure("first_drawn_worst_ms", drawnAfter.empty() ? -1 : drawnAfter.back(), "%.0f");
    printFigure("descriptors_after_first", double(descriptorsAfterFirst), "%.0f");
    printFigure("descriptors_after_last", double(openDescriptors()), "%.0f");
    printFigure("rss_after_first_mb", memoryAfterFirst, "%.2f");
    printFigure("rss_after_last_mb", residentMegabytes(), "%.2f");
    return missed == 0 ? 0 : 1;
}

int positiveNumber(const QString &text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok && value > 0 ? value : 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Whole-program figures of the joystick monitor:\n"
        "  startup [SILENT_PORTS]            start-up, and discovery with no board (SILENT_PORTS of\n"
        "                                    the 7 ports present but silent, the rest absent)\n"
        "  polling DEVICE SECONDS [SAMPLE]   CPU and resident memory while polling the board on\n"
        "                                    DEVICE, memory sampled every SAMPLE seconds\n"
        "  latency REPORTS                   time from an A5 line to the frame that shows it\n"
        "  flood SECONDS                     a board reporting as fast as the line takes it\n"
        "  reconnect CYCLES [PORT_WAIT_MS]   the board pulled and plugged in again CYCLES times");
    parser.addHelpOption();
    parser.addPositionalArgument("figure", "startup, polling, latency, flood or reconnect");
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    const QString figure = args.value(0);
    if (figure == "startup" && args.size() <= 2) {
        const int silent = args.size() == 2 ? args[1].toInt() : 0;
        if (silent >= 0 && silent <= 7)
            return startupAndDiscovery(silent);
    }
    if (figure == "polling" && (args.size() == 3 || args.size() == 4)) {
        const int seconds = positiveNumber(args[2]);
        const int sample = args.size() == 4 ? positiveNumber(args[3]) : seconds;
        if (seconds > 0 && sample > 0)
            return polling(args[1], seconds, sample);
    }
    if (figure == "latency" && args.size() == 2 && positiveNumber(args[1]) > 0)
        return latency(positiveNumber(args[1]));
    if (figure == "flood" && args.size() == 2 && positiveNumber(args[1]) > 0)
        return flood(positiveNumber(args[1]));
    if (figure == "reconnect" && (args.size() == 2 || args.size() == 3) && positiveNumber(args[1]) > 0) {
        const int waitMs = args.size() == 3 ? positiveNumber(args[2]) : int(ventana::kPortWait.count());
        if (waitMs > 0)
            return reconnect(positiveNumber(args[1]), std::chrono::milliseconds(waitMs));
    }
    parser.showHelp(2);
}
