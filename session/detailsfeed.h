#pragma once

#include "seriallink/link.h"
#include "session/session.h"
#include "stickdata/boardline.h"
#include "stickdata/boardstats.h"
#include "stickdata/calibration.h"
#include "stickdata/linelog.h"
#include "stickdata/recentreports.h"

#include <QDateTime>
#include <QObject>
#include <QString>

#include <chrono>
#include <optional>

// Where the board's connection stands, as the details tell it.
struct LinkShown {
    LinkState state = LinkState::Idle;
    // The port tried last or the board's, 0 before the first, and its
    // device.
    int port = 0;
    QString device;
    // From the board's loss until it is found again.
    std::optional<QDateTime> lostSince;
    // Why the port or the board does not work as it should; empty when
    // all is well.
    QString problem;
};

// The board in depth, fed from the session from the start, whether anyone
// shows it or not: the statistics and the calibration taken on purpose,
// the recent reports and lines, and the link's state. Its one owner: a
// view shows what it holds, and asks it for a calibration or a reset.
//
// Whole reports only (every channel sent since the port opened) count and
// are kept, so that no figure or trace holds a value the board never sent;
// every line is kept, as received. What it keeps a line or a report is
// what a ring buffer and the running figures take: a hidden view costs
// nothing more.
class DetailsFeed final : public QObject {
    Q_OBJECT

public:
    using Time = std::chrono::nanoseconds;

    explicit DetailsFeed(BoardSession &session, QObject *parent = nullptr);

    const BoardStats &stats() const { return stats_; }
    const RecentReports &recent() const { return recent_; }
    const LineLog &lines() const { return lines_; }
    const LinkShown &link() const { return link_; }
    Calibration::Step calibrationStep() const { return calibration_.step(); }
    // When the last calibration was taken, once it was.
    const std::optional<QDateTime> &calibrationTakenAt() const { return calibrationTakenAt_; }

    // Starts every figure and the sticks' outlines afresh and waits for the
    // sticks to rest; a calibration under way is given up.
    void startCalibration();
    void cancelCalibration();
    // The sweeps are done.
    void finishCalibration();
    // Starts every figure and the sticks' outlines afresh.
    void reset();

signals:
    // A whole report arrived at `at` and was taken.
    void reportTaken(std::chrono::nanoseconds at);
    void lineTaken();
    // The figures changed otherwise: a request went out.
    void figuresChanged();
    void linkChanged();
    void calibrationChanged();
    // The figures, trail and outlines start afresh.
    void restarted();

private:
    void take(const BoardLine &line);
    void takeReport(const Report &report, Time at);
    void followState(LinkState state);
    void showPort();
    void showProblem(const QString &reason);
    void moveCalibrationOn();
    void restart();
    QDateTime wallNow() const;

    BoardSession &session_;
    BoardStats stats_;
    Calibration calibration_;
    std::optional<QDateTime> calibrationTakenAt_;
    RecentReports recent_;
    LineLog lines_;
    LinkShown link_;
};
