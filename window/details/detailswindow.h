#pragma once

#include "seriallink/link.h"
#include "stickdata/boardstats.h"
#include "stickdata/calibration.h"
#include "window/framepacer.h"
#include "window/details/historyplot.h"
#include "window/details/rawlinesview.h"
#include "window/details/stickview.h"

#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QString>
#include <QWidget>

#include <array>
#include <chrono>
#include <optional>
#include <vector>

// Where the board's connection stands, as the details window tells it.
struct LinkShown {
    LinkState state = LinkState::Idle;
    // The port tried last or the board's, 0 before the first, and its
    // device.
    int port = 0;
    QString device;
    // From the board's loss until it is found again.
    std::optional<QDateTime> lostSince;
};

// The recording as the details window tells it.
struct RecordingShown {
    // Whether rows go in now.
    bool active = false;
    // Where they go or went; empty before the first recording.
    QString file;
    qint64 rows = 0;
    // The recording in one sentence: where every report goes, what went
    // where, or why it stopped or could not start.
    QString status;
    // Refused, or stopped by a failure.
    bool failed = false;
};

// The board in depth, beside the main window: the channels over the last
// 30 seconds; each stick large, with its trail, its outline and its
// calibration; the calibration table, taken afresh on purpose; the link's
// state and health; the board's own lines; and the recording, with a way
// to start and stop it. Its figures come from `stats`, which whoever feeds
// the window feeds; it resets them when the user asks for a calibration
// or a reset. A loss of the board and a recording's failure are said at
// the top as they happen; the plot and the sticks are greyed while the
// board is lost. The figures' texts are refreshed at most about ten times
// a second, and only while shown. Closed, it only hides; it does not keep
// the program running.
class DetailsWindow final : public QWidget {
    Q_OBJECT

public:
    using Time = std::chrono::nanoseconds;

    explicit DetailsWindow(BoardStats &stats, QWidget *parent = nullptr);

    // A report `stats` has taken, and the monotonic time it arrived.
    void addReport(Time at, const Report &report);
    void addLine(const ReceivedLine &line);
    // `stats` took something other than a report or a line.
    void figuresChanged();
    void showLink(const LinkShown &link);
    // Why the port or the board does not work as it should; empty when
    // all is well.
    void showProblem(const QString &reason);
    void showRecording(const RecordingShown &recording);
    void showRowsWritten(qint64 rows);
    // Shows the window on top, however it was: hidden, minimised or
    // behind others.
    void bringUp();

signals:
    // The user asked for every report to be recorded to `file`, or for
    // the recording to stop.
    void recordRequested(const QString &file);
    void stopRecordingRequested();

protected:
    void showEvent(QShowEvent *event) override;

private:
    QWidget *makePlotPart();
    QWidget *makeSticksPart();
    QWidget *makeCalibrationPart();
    QWidget *makeLinkPart();
    QWidget *makeRecordingPart();
    QWidget *makeLinesPart();

    void showFigures();
    void showCalibrationTable();
    void showStickCalibrations();
    void showLinkFigures();
    void calibrationMovedOn();
    void showCalibrationStep();
    void showAlert();
    void resetFigures();
    void startOrCancelCalibration();
    void recordOrStop();

    BoardStats &stats_;
    Calibration calibration_;
    std::optional<QDateTime> calibrationTakenAt_;
    LinkShown link_;
    RecordingShown recording_;
    qint64 rowsWritten_ = 0;
    std::array<std::optional<StickCalibration>, 2> shownCalibrations_;

    QLabel *const alert_ = new QLabel;
    HistoryPlot *const plot_ = new HistoryPlot;
    std::array<StickView *, 2> sticks_{new StickView(kLeftStick), new StickView(kRightStick)};
    RawLinesView *const lines_ = new RawLinesView;
    // The calibration table: a row a figure, a column an axis.
    std::vector<std::array<QLabel *, BoardModel::kAxisCount>> table_;
    QLabel *presses_ = nullptr;
    QLabel *const calibrationStep_ = new QLabel;
    QPushButton *const calibrate_ = new QPushButton;
    QPushButton *const calibrationDone_ = new QPushButton(tr("Done"));
    QLabel *const port_ = new QLabel;
    QLabel *const state_ = new QLabel;
    QLabel *const problem_ = new QLabel;
    // The link's figures, in the order of their table.
    std::vector<QLabel *> linkFigures_;
    QPushButton *const record_ = new QPushButton;
    QLabel *const recordingFile_ = new QLabel;
    QLabel *rows_ = nullptr;
    QLabel *const recordingStatus_ = new QLabel;
    FramePacer pacer_{[this](PresentSchedule::Parts) { showFigures(); }};
};
