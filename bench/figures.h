#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

#include <chrono>
#include <vector>

// What the figures of the bench share: how they are printed, and what the
// processes being measured cost.

// A markdown table printed a row at a time, each row ending with the
// machine's 1-minute load when the table began and when the row was taken.
class FigureTable {
public:
    FigureTable();
    void row(const QString &figure, const QString &result, const QString &target = QStringLiteral("-"));

private:
    QString loadAtStart_;
};

// "TEXT: met" or "TEXT: **missed**".
QString target(const QString &text, bool met);
QString fixed(double value, int decimals);
// "CPU w % of one core without, x % with (× r)", and the target for that
// ratio where `monitorOptions` has one (--record, --details).
QString cpuWithoutAndWith(double withoutPercent, double withPercent);
QString ratioTarget(const QStringList &monitorOptions, double ratio);
// Says why a figure could not be taken; the command's exit status.
int failed(const QString &why);

// A command's arguments: whole numbers, then after "--" options for
// joystick-monitor.
struct CommandArguments {
    explicit CommandArguments(const QStringList &arguments);
    int number(qsizetype n, int fallback) const;

    QStringList numbers;
    QStringList monitorOptions;
};

// Of process `pid`, "self" for this one; the CPU time of all its threads.
double residentMegabytes(const QString &pid);
double cpuSecondsOf(const QString &pid);

// What processes cost while this one handles its events for `span`: CPU
// time, and the times their threads were put on a CPU (each a wake-up, or
// a return after being preempted).
struct CostOverTime {
    double seconds = 0;
    std::vector<double> cpuSeconds;
    std::vector<long long> timeslices;
};
CostOverTime costOver(const QStringList &pids, std::chrono::milliseconds span);

// A program of this build in a process of its own, so that its CPU time is
// not this one's, started once it has printed `readyText` (joystick-monitor
// prints its status texts).
class ChildProgram {
public:
    ChildProgram(const QString &program, const QStringList &arguments, const char *readyText);
    ~ChildProgram();
    // Says why on standard error when not.
    bool ready() const;
    QString firstLine() const { return QString::fromLocal8Bit(output_.left(output_.indexOf('\n'))); }
    QString pid() const { return QString::number(process_.processId()); }

private:
    QProcess process_;
    QByteArray output_;
    const char *readyText_;
};

// A simulated board answering requests at `rate` 0, else sending `rate`
// reports a second unasked; its first line is its pty.
ChildProgram startBoard(const QString &rate);
QStringList portOf(const ChildProgram &board);
// joystick-monitor with `options`, by default ready once it found its board.
ChildProgram startMonitor(const QStringList &options, const char *readyText = "OK PUERTO");

int sideBySideFigures(const QStringList &arguments);
int memoryFigures(const QStringList &arguments);
int replugFigures(const QStringList &arguments);
int idleFigures(const QStringList &arguments);
int feedFigures(const QStringList &arguments);
