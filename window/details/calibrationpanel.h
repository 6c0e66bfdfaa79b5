#pragma once

#include "stickdata/boardmodel.h"
#include "stickdata/boardstats.h"
#include "stickdata/calibration.h"

#include <QDateTime>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>

#include <array>
#include <optional>
#include <vector>

// The calibration table, a row a figure and a column an axis, with the
// buttons' presses, beside the steps of a calibration taken on purpose and
// what to do with the figures. It shows the figures it is given, and asks
// for a calibration, a reset or a copy.
class CalibrationPanel final : public QGroupBox {
    Q_OBJECT

public:
    explicit CalibrationPanel(QWidget *parent = nullptr);

    void showFigures(const BoardStats &stats);
    // Where a calibration stands, and when the last was taken, once one was.
    void showStep(Calibration::Step step, const std::optional<QDateTime> &takenAt);
    // What became of saving the calibration: where it went, or why not.
    void showSaved(const QString &outcome, bool failed);

signals:
    void calibrateRequested();
    void cancelCalibrationRequested();
    void calibrationDoneRequested();
    void resetRequested();
    void copyRequested();
    void saveRequested();

private:
    void askToCalibrateOrCancel();

    Calibration::Step step_ = Calibration::Step::Off;
    std::vector<std::array<QLabel *, BoardModel::kAxisCount>> table_;
    QLabel *presses_ = nullptr;
    QLabel *const stepText_ = new QLabel;
    QPushButton *const calibrate_ = new QPushButton;
    QPushButton *const done_ = new QPushButton(tr("Done"));
    QLabel *const saved_ = new QLabel;
};
