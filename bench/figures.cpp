#include "figures.h"

#include "support/eventloop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>

#include <algorithm>
#include <cstdio>

namespace {

QByteArray procFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString oneMinuteLoad()
{
    return QString::fromLatin1(procFile(QStringLiteral("/proc/loadavg")).split(' ').constFirst());
}

void printLine(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

} // namespace

FigureTable::FigureTable()
    : loadAtStart_(oneMinuteLoad())
{
    printLine(QStringLiteral("| Figure | Result | Target | Load |"));
    printLine(QStringLiteral("|---|---|---|---|"));
}

void FigureTable::row(const QString &figure, const QString &result, const QString &target)
{
    printLine(QStringLiteral("| %1 | %2 | %3 | %4 to %5 |").arg(figure, result, target, loadAtStart_, oneMinuteLoad()));
}

QString target(const QString &text, bool met)
{
    return text + (met ? QStringLiteral(": met") : QStringLiteral(": **missed**"));
}

int argument(const QStringList &arguments, qsizetype n, int fallback)
{
    bool ok = false;
    const int value = arguments.value(n).toInt(&ok);
    return ok && value > 0 ? value : fallback;
}

int failed(const QString &why)
{
    std::fprintf(stderr, "%s\n", qPrintable(why));
    return 1;
}

Spread::Spread(std::vector<double> samples)
    : sorted_(std::move(samples))
{
    std::sort(sorted_.begin(), sorted_.end());
}

double Spread::at(double fraction) const
{
    if (sorted_.empty())
        return 0;
    return sorted_[size_t(fraction * double(sorted_.size() - 1) + 0.5)];
}

double Spread::worst() const
{
    return sorted_.empty() ? 0 : sorted_.back();
}

QString Spread::describe(const char *unit, int decimals, double scale) const
{
    return QStringLiteral("median %1 %4, 90th percentile %2 %4, worst %3 %4")
        .arg(at(0.5) / scale, 0, 'f', decimals)
        .arg(at(0.9) / scale, 0, 'f', decimals)
        .arg(worst() / scale, 0, 'f', decimals)
        .arg(QLatin1StringView(unit));
}

double millisecondsSince(const QElapsedTimer &clock)
{
    return double(clock.nsecsElapsed()) / 1e6;
}

double residentMegabytes()
{
    const QByteArray status = procFile(QStringLiteral("/proc/self/status"));
    const qsizetype at = status.indexOf("VmRSS:");
    return status.mid(at + 6, status.indexOf('\n', at) - at - 6).trimmed().split(' ').constFirst().toDouble() / 1024;
}

qsizetype openDescriptors()
{
    return QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size();
}

ProcessCost processCost(const QString &pid)
{
    ProcessCost cost;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        // Nanoseconds on a CPU, nanoseconds waiting for one, times put on one.
        const QList<QByteArray> fields = procFile(tasks.filePath(task + "/schedstat")).simplified().split(' ');
        cost.cpuSeconds += fields.value(0).toDouble() / 1e9;
        cost.timeslices += fields.value(2).toLongLong();
    }
    return cost;
}

CostOverTime costOver(const QString &pid, std::chrono::milliseconds span)
{
    const ProcessCost before = processCost(pid);
    QElapsedTimer clock;
    clock.start();
    runFor(span);
    const ProcessCost after = processCost(pid);
    const double seconds = double(clock.nsecsElapsed()) / 1e9;
    return {seconds, after.cpuSeconds - before.cpuSeconds, double(after.timeslices - before.timeslices) / seconds};
}

// Waits on the link's own signal, so that the wait adds no wake-ups of its own.
bool waitForState(const BoardLink &link, LinkState state, std::chrono::milliseconds limit)
{
    QEventLoop loop;
    QObject::connect(&link, &BoardLink::stateChanged, &loop, [&](LinkState now) {
        if (now == state)
            loop.quit();
    });
    QTimer::singleShot(limit, &loop, &QEventLoop::quit);
    if (link.state() != state)
        loop.exec();
    return link.state() == state;
}

BoardProcess::BoardProcess(const QStringList &arguments)
{
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral(JOYSTICK_BOARD_SIM), arguments);
    if (process_.waitForReadyRead(10000))
        slavePath_ = QString::fromLocal8Bit(process_.readLine()).trimmed();
}

BoardProcess::~BoardProcess()
{
    process_.terminate();
    process_.waitForFinished(5000);
}
