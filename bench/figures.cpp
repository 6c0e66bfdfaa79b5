#include "figures.h"

#include "tests/support/eventloop.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>

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

// The seconds on a CPU and the times put on one of all threads of process
// `pid`, from each thread's nanoseconds on a CPU, waiting and times.
std::pair<double, long long> schedulerTotals(const QString &pid)
{
    std::pair<double, long long> totals;
    const QDir tasks(QStringLiteral("/proc/%1/task").arg(pid));
    for (const QString &task : tasks.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QList<QByteArray> fields = procFile(tasks.filePath(task + "/schedstat")).simplified().split(' ');
        totals.first += fields.value(0).toDouble() / 1e9;
        totals.second += fields.value(2).toLongLong();
    }
    return totals;
}

} // namespace

FigureTable::FigureTable()
    : loadAtStart_(oneMinuteLoad())
{
    std::printf("| Figure | Result | Target | Load |\n|---|---|---|---|\n");
}

void FigureTable::row(const QString &figure, const QString &result, const QString &target)
{
    const QString load = loadAtStart_ + QStringLiteral(" to ") + oneMinuteLoad();
    std::printf("%s\n", qPrintable(QStringLiteral("| %1 | %2 | %3 | %4 |").arg(figure, result, target, load)));
    std::fflush(stdout);
}

QString target(const QString &text, bool met)
{
    return text + (met ? QStringLiteral(": met") : QStringLiteral(": **missed**"));
}

QString fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString cpuWithoutAndWith(double withoutPercent, double withPercent)
{
    return QStringLiteral("CPU %1 % of one core without, %2 % with (× %3)")
        .arg(fixed(withoutPercent, 2), fixed(withPercent, 2), fixed(withPercent / withoutPercent, 2));
}

QString ratioTarget(const QStringList &monitorOptions, double ratio)
{
    if (monitorOptions.contains(QStringLiteral("--details")))
        return target(QStringLiteral("≤ 2 × the CPU without"), ratio <= 2);
    if (monitorOptions.contains(QStringLiteral("--record")))
        return target(QStringLiteral("< 10 % more CPU"), ratio < 1.1);
    return QStringLiteral("-");
}

int failed(const QString &why)
{
    std::fprintf(stderr, "%s\n", qPrintable(why));
    return 1;
}

CommandArguments::CommandArguments(const QStringList &arguments)
{
    const qsizetype dashes = arguments.indexOf(QStringLiteral("--"));
    numbers = arguments.first(dashes < 0 ? arguments.size() : dashes);
    monitorOptions = dashes < 0 ? QStringList() : arguments.sliced(dashes + 1);
}

int CommandArguments::number(qsizetype n, int fallback) const
{
    bool ok = false;
    const int value = numbers.value(n).toInt(&ok);
    return ok && value >= 0 ? value : fallback;
}

double residentMegabytes(const QString &pid)
{
    const QByteArray status = procFile(QStringLiteral("/proc/%1/status").arg(pid));
    const qsizetype at = status.indexOf("VmRSS:");
    return status.mid(at + 6, status.indexOf('\n', at) - at - 6).trimmed().split(' ').constFirst().toDouble() / 1024;
}

double cpuSecondsOf(const QString &pid)
{
    return schedulerTotals(pid).first;
}

CostOverTime costOver(const QStringList &pids, std::chrono::milliseconds span)
{
    std::vector<std::pair<double, long long>> before;
    for (const QString &pid : pids)
        before.push_back(schedulerTotals(pid));
    QElapsedTimer clock;
    clock.start();
    runFor(span);
    CostOverTime cost{double(clock.nsecsElapsed()) / 1e9, {}, {}};
    for (qsizetype i = 0; i < pids.size(); ++i) {
        const auto [cpuSeconds, timeslices] = schedulerTotals(pids[i]);
        cost.cpuSeconds.push_back(cpuSeconds - before[size_t(i)].first);
        cost.timeslices.push_back(timeslices - before[size_t(i)].second);
    }
    return cost;
}

ChildProgram::ChildProgram(const QString &program, const QStringList &arguments, const char *readyText)
    : readyText_(readyText)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_LOGGING_RULES"), QStringLiteral("joystick.status.info=true"));
    process_.setProcessEnvironment(environment);
    process_.setProcessChannelMode(QProcess::MergedChannels);
    QObject::connect(&process_, &QProcess::readyRead, &process_, [this] { output_ += process_.readAll(); });
    process_.start(program, arguments);
    runUntil([this] { return output_.contains(readyText_) || process_.state() == QProcess::NotRunning; },
             std::chrono::seconds(60));
}

ChildProgram::~ChildProgram()
{
    process_.terminate();
    process_.waitForFinished(5000);
}

bool ChildProgram::ready() const
{
    if (!output_.contains(readyText_))
        std::fprintf(stderr, "%s did not say \"%s\" but: %s\n", qPrintable(process_.program()), readyText_,
                     output_.constData());
    return output_.contains(readyText_);
}

ChildProgram startBoard(const QString &rate)
{
    const QStringList sending{QStringLiteral("--rate"), rate, QStringLiteral("--no-answer")};
    return ChildProgram(QStringLiteral(JOYSTICK_BOARD_SIM), rate.toDouble() > 0 ? sending : QStringList(), "\n");
}

ChildProgram startMonitor(const QStringList &options, const char *readyText)
{
    return ChildProgram(QStringLiteral(JOYSTICK_MONITOR), options, readyText);
}

QStringList portOf(const ChildProgram &board)
{
    return {QStringLiteral("--port"), board.firstLine()};
}
