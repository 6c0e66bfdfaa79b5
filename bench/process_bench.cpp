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
#include <memory>
#include <vector>

// Whole-program figures of the monitor: start-up, discovery, polling and
// display latency, measured inside the process with the real window and
// the real serial layer.

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

// Seconds since this process started, from the kernel's record of its start.
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

// Calls `onPaint` each time `widget` has been painted.
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

int startupAndDiscovery()
{
    auto window = monitorOn({});
    double shownAfter = -1;
    PaintWatch watch(window.get(), [&] {
        if (shownAfter < 0)
            shownAfter = secondsSinceProcessStart();
    });
    QElapsedTimer clock;
    clock.start();
    const double cpuBefore = cpuSeconds();
    window->Form_Load();
    std::printf("window shown after process start: %.0f ms\n", shownAfter * 1000);
    std::printf("discovery with no board: %.2f s wall, %.3f s CPU\n", clock.elapsed() / 1000.0,
                cpuSeconds() - cpuBefore);
    std::printf("resident memory after discovery: %.1f MB\n", residentMegabytes());
    return 0;
}

int polling(const QString &device, int seconds)
{
    auto window = monitorOn({device});
    window->Form_Load();
    if (window->portok != 1) {
        std::fprintf(stderr, "no board answered on %s\n", qPrintable(device));
        return 1;
    }
    runFor(std::chrono::seconds(2));
    const double memoryBefore = residentMegabytes();
    const double cpuBefore = cpuSeconds();
    runFor(std::chrono::seconds(seconds));
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("polling for %d s: %.3f s CPU = %.2f%% of one core\n", seconds, cpu, 100.0 * cpu / seconds);
    std::printf("resident memory: %.1f MB before, %.1f MB after\n", memoryBefore, residentMegabytes());
    return 0;
}

// The program's side of a raw pseudo-terminal; this process plays the board.
struct BoardLine {
    int master = -1;
    int slave = -1;
    QString path;

    BoardLine()
    {
        std::array<char, 256> name{};
        openpty(&master, &slave, name.data(), nullptr, nullptr);
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
    void send(const QByteArray &bytes) const { (void)!::write(master, bytes.constData(), size_t(bytes.size())); }
};

int latency(int reports)
{
    BoardLine board;
    auto window = monitorOn({board.path});
    window->show();
    window->CLAVE = QStringLiteral("JOYSTICK");
    window->puerto = 1;
    window->serial();
    runFor(std::chrono::milliseconds(300));

    bool painted = false;
    PaintWatch watch(window->Picture1, [&] { painted = true; });
    std::vector<double> latencies;
    for (int i = 0; i < reports; ++i) {
        const int x = 64 + (i * 37) % 896;
        board.send(QStringLiteral("A0 %1\r\nA1 %2\r\nA2 %2\r\nA3 %1\r\nA4 %3\r\n").arg(x).arg(1023 - x).arg(i % 2).toLatin1());
        runFor(std::chrono::milliseconds(20));
        painted = false;
        QElapsedTimer clock;
        clock.start();
        board.send(QStringLiteral("A5 %1\r\n").arg(i % 3).toLatin1());
        const QDeadlineTimer limit(1000);
        while (!painted && !limit.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        latencies.push_back(clock.nsecsElapsed() / 1e6);
    }
    std::sort(latencies.begin(), latencies.end());
    std::printf("latency from the A5 line to the repainted picture over %d reports: median %.2f ms, worst %.2f ms\n",
                reports, latencies[latencies.size() / 2], latencies.back());
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription("Whole-program figures of the joystick monitor.");
    parser.addHelpOption();
    parser.addPositionalArgument("figure", "startup, polling DEVICE SECONDS, or latency REPORTS");
    parser.process(app);
    const QStringList args = parser.positionalArguments();
    const QString figure = args.value(0);
    if (figure == "startup")
        return startupAndDiscovery();
    if (figure == "polling" && args.size() == 3)
        return polling(args[1], args[2].toInt());
    if (figure == "latency" && args.size() == 2)
        return latency(args[1].toInt());
    parser.showHelp(2);
}
