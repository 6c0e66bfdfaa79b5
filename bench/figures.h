#pragma once

#include "seriallink/boardlink.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <vector>

// What the figures of the bench share: how they are printed, and what the
// process being measured costs.

// A markdown table of figures, printed a row at a time as each is taken.
// Every row ends with the machine's 1-minute load when the table began and
// when the row was taken.
class FigureTable {
public:
    FigureTable();
    void row(const QString &figure, const QString &result, const QString &target = QStringLiteral("-"));

private:
    QString loadAtStart_;
};

// A target and whether the figure met it, as the table shows them.
QString target(const QString &text, bool met);

// The n-th whole-number argument of a command, or `fallback` without one.
int argument(const QStringList &arguments, qsizetype n, int fallback);

// Says why a figure could not be taken; the command's exit status.
int failed(const QString &why);

// Samples in order: quantiles and the worst.
class Spread {
public:
    explicit Spread(std::vector<double> samples);
    // The sample below which `fraction` of them lie: 0.5 is the median.
    double at(double fraction) const;
    double worst() const;
    qsizetype size() const { return qsizetype(sorted_.size()); }
    // "median m UNIT, 90th percentile p UNIT, worst w UNIT", each divided by `scale`.
    QString describe(const char *unit, int decimals, double scale = 1) const;

private:
    std::vector<double> sorted_;
};

double millisecondsSince(const QElapsedTimer &clock);

double residentMegabytes();
qsizetype openDescriptors();

// The CPU time of all threads of process `pid` ("self" for this one) and how
// many times they were put on a CPU: each time is a wake-up, or a return
// after being preempted.
struct ProcessCost {
    double cpuSeconds = 0;
    long long timeslices = 0;
};
ProcessCost processCost(const QString &pid);

// What process `pid` costs while this one handles its events for `span`.
struct CostOverTime {
    double seconds;
    double cpuSeconds;
    double wakeUpsPerSecond;
};
CostOverTime costOver(const QString &pid, std::chrono::milliseconds span);

// Handles events until `link` is in `state`, for at most `limit`.
bool waitForState(const BoardLink &link, LinkState state, std::chrono::milliseconds limit);

// A simulated board in a process of its own, so that its CPU time is not
// the monitor's.
class BoardProcess {
public:
    explicit BoardProcess(const QStringList &arguments);
    ~BoardProcess();
    // Empty if the board did not start.
    QString slavePath() const { return slavePath_; }

private:
    QProcess process_;
    QString slavePath_;
};

// The figures, each a command of the bench taking its own arguments.
int receiveFigures(const QStringList &arguments);
int latencyFigures(const QStringList &arguments);
int frameFigures(const QStringList &arguments);
int viewFigures(const QStringList &arguments);
int recordingFigures(const QStringList &arguments);
int memoryFigures(const QStringList &arguments);
int watchDevice(const QStringList &arguments);
int replugFigures(const QStringList &arguments);
int discoveryFigures(const QStringList &arguments);
int idleFigures(const QStringList &arguments);
int statsCostFigures(const QStringList &arguments);
int restBandFigures(const QStringList &arguments);
