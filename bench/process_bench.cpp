#include "seriallink/comportmap.h"
#include "seriallink/serialportcontrol.h"
#include "window/ventana.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QTimer>

#include <fcntl.h>
#include <pty.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <ctime>
#include <functional>
#include <memory>
#include <vector>

// Whole-program figures of the monitor: start-up, discovery, polling,
// memory over time and display latency, measured inside the process with
// the real window and the real serial layer. Every figure is printed as a
// "name=value" line so that scripts can pick it up.

namespace {

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
           + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double residentMegabytes()
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
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

void runFor(std::chrono::milliseconds span)
{
    const QDeadlineTimer end(span);
    QTimer wakeUp;
    wakeUp.start(span);
    while (!end.hasExpired())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// Calls `onPaint` each time `widget` has been painted: the call is queued
// when the paint event arrives, so it runs once the whole repaint that
// event belongs to has been done.
class PaintWatch : public QObject {
public:
    PaintWatch(QWidget *widget, std::function<void()> onPaint)
        : onPaint_(std::move(onPaint))
    {
        widget->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            QTimer::singleShot(0, this, onPaint_);
        return false;
    }

private:
    std::function<void()> onPaint_;
};

std::unique_ptr<ventana> monitorOn(const QStringList &devices, std::chrono::milliseconds wait = ventana::kPortWait)
{
    return std::make_unique<ventana>(std::make_unique<SerialPortControl>(ComPortMap(devices)), wait);
}

void printFigure(const char *name, double value, const char *format = "%.3f")
{
    std::printf("%s=", name);
    std::printf(format, value);
    std::printf("\n");
    std::fflush(stdout);
}

// A raw pseudo-terminal whose master side this process holds: the monitor
// opens `path` as its serial port, and this process plays the board (or a
// device that never says anything).
struct BoardLine {
    int master = -1;
    int slave = -1;
    QString path;

    BoardLine()
    {
        std::array<char, 256> name{};
        if (openpty(&master, &slave, name.data(), nullptr, nullptr) != 0)
            return;
        termios raw{};
        tcgetattr(slave, &raw);
        cfmakeraw(&raw);
        tcsetattr(slave, TCSANOW, &raw);
        path = QString::fromLocal8Bit(name.data());
    }
    ~BoardLine()
    {
        ::close(slave);
        ::close(master);
    }
    BoardLine(const BoardLine &) = delete;
    BoardLine &operator=(const BoardLine &) = delete;

    void send(const QByteArray &bytes) const { (void)!::write(master, bytes.constData(), size_t(bytes.size())); }
};

// Start-up and a discovery that finds no board. With `silentPorts` 0 all
// seven ports are absent; otherwise the first `silentPorts` ports are
// pseudo-terminals that open but never answer, as serial devices without
// the board do.
int startupAndDiscovery(int silentPorts)
{
    std::vector<std::unique_ptr<BoardLine>> lines;
    QStringList devices;
    for (int i = 0; i < silentPorts; ++i) {
        lines.push_back(std::make_unique<BoardLine>());
        if (lines.back()->path.isEmpty()) {
            std::fprintf(stderr, "cannot create a pseudo-terminal\n");
            return 1;
        }
        devices << lines.back()->path;
    }
    auto window = monitorOn(devices);
    double shownAfter = -1;
    PaintWatch watch(window.get(), [&] {
        if (shownAfter < 0)
            shownAfter = secondsSinceProcessStart();
    });
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = cpuSeconds();
    window->Form_Load();
    const double wall = clock.elapsed() / 1000.0;
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
std::unique_ptr<ventana> connectedMonitor(const QString &device)
{
    auto window = monitorOn({device});
    window->Form_Load();
    if (window->portok != 1) {
        std::fprintf(stderr, "no board answered on %s\n", qPrintable(device));
        return nullptr;
    }
    return window;
}

// CPU and memory while polling the board on `device` for `seconds`, after
// two seconds to settle. Resident memory is sampled every `sampleSeconds`,
// first when the measurement starts and last when it ends.
int polling(const QString &device, int seconds, int sampleSeconds)
{
    auto window = connectedMonitor(device);
    if (!window)
        return 1;
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
    const double wall = clock.elapsed() / 1000.0;

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
    BoardLine board;
    if (board.path.isEmpty()) {
        std::fprintf(stderr, "cannot create a pseudo-terminal\n");
        return 1;
    }
    auto window = monitorOn({board.path});
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
        board.send(QStringLiteral("A0 %1\r\nA1 %2\r\nA2 %2\r\nA3 %1\r\nA4 %3\r\n")
                       .arg(x)
                       .arg(1023 - x)
                       .arg(i % 2)
                       .toLatin1());
        runFor(kHalfReportPeriod);
        painted = false;
        QElapsedTimer clock;
        clock.start();
        board.send(QStringLiteral("A5 %1\r\n").arg(i % 3).toLatin1());
        const QDeadlineTimer limit(1000);
        while (!painted && !limit.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        if (!painted)
            ++missed;
        latencies.push_back(clock.nsecsElapsed() / 1e6);
        runFor(kHalfReportPeriod);
    }
    std::sort(latencies.begin(), latencies.end());
    printFigure("latency_reports", reports, "%.0f");
    printFigure("latency_median_ms", latencies[latencies.size() / 2], "%.2f");
    printFigure("latency_p90_ms", latencies[latencies.size() * 9 / 10], "%.2f");
    printFigure("latency_worst_ms", latencies.back(), "%.2f");
    printFigure("latency_missed", missed, "%.0f");
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
        "  latency REPORTS                   time from an A5 line to the frame that shows it");
    parser.addHelpOption();
    parser.addPositionalArgument("figure", "startup, polling or latency");
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
    parser.showHelp(2);
}
