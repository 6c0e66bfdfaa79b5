#pragma once

#include "seriallink/linkclock.h"
#include "session/detailsfeed.h"
#include "window/details/calibrationpanel.h"
#include "window/details/historyplot.h"
#include "window/details/linkpanel.h"
#include "window/details/rawlinesview.h"
#include "window/details/recordingpanel.h"
#include "window/details/stickview.h"
#include "window/framepacer.h"

#include <QLabel>
#include <QList>
#include <QMetaObject>
#include <QString>
#include <QWidget>

#include <array>
#include <memory>

// The board in depth, beside the main window: the channels over the last
// 30 seconds; each stick large, with its trail, its outline and its
// calibration; the calibration table; the link's state and health; the
// board's own lines; and the recording. It shows what `feed` holds, and
// asks for a calibration, a reset, a copy of the figures or a recording
// with its signals. A loss of the board and a recording's failure are said
// at the top as they happen; the plot and the sticks are greyed while the
// board is lost. The figures' texts are refreshed about four times a
// second, and only while shown. Closed, it only hides; it does not keep
// the program running.
class DetailsWindow final : public QWidget {
    Q_OBJECT

public:
    explicit DetailsWindow(const DetailsFeed &feed, const std::shared_ptr<LinkClock> &clock = LinkClock::eventLoop(),
                           QWidget *parent = nullptr);

    void showRecording(const RecordingShown &recording);
    void showRowsWritten(qint64 rows);
    // The game controller, where the program can make one.
    void showGameController(bool on, const QString &state, const QString &details);
    void showCalibrationSaved(const QString &outcome, bool failed);
    // Shows the window on top, however it was: hidden, minimised or
    // behind others.
    void bringUp();

signals:
    void recordRequested(const QString &file);
    void stopRecordingRequested();
    void calibrateRequested();
    void cancelCalibrationRequested();
    void calibrationDoneRequested();
    void resetRequested();
    // The user asked for the figures on the clipboard, or in `file`.
    void copyRequested();
    void saveCalibrationRequested(const QString &file);
    void gameControllerSwitched(bool on);

protected:
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

private:
    QWidget *makePlotPart();
    QWidget *makeSticksPart();
    QWidget *makeLinesPart();
    void forwardRequests();
    void followFeed();

    void showReport(std::chrono::nanoseconds at);
    void scheduleFigures();
    void showFigures();
    void showStickCalibrations();
    void showLink();
    void showCalibrationStep();
    void showRestart();
    void showAlert();

    const DetailsFeed &feed_;
    // To the feed, while shown.
    QList<QMetaObject::Connection> following_;

    QLabel *const alert_ = new QLabel;
    HistoryPlot *const plot_;
    std::array<StickView *, 2> sticks_;
    RawLinesView *const lines_;
    CalibrationPanel *const calibration_ = new CalibrationPanel;
    LinkPanel *const link_ = new LinkPanel;
    RecordingPanel *const recording_ = new RecordingPanel;
    FramePacer pacer_;
};
