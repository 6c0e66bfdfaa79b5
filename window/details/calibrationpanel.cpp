#include "window/details/calibrationpanel.h"

#include "stickdata/statsreport.h"
#include "window/details/figurelabels.h"
#include "window/details/tracestyle.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace figurelabels;

namespace {

QString pressesText(quint64 right, quint64 left)
{
    return QLabel::tr("Presses: right button (A4) %1, left button (A5) %2").arg(right).arg(left);
}

bool isUnderWay(Calibration::Step step)
{
    return step == Calibration::Step::HandsOff || step == Calibration::Step::Sweeps;
}

QString stepText(Calibration::Step step, const std::optional<QDateTime> &takenAt)
{
    switch (step) {
    case Calibration::Step::Off:
        return QLabel::tr("The figures count from the start or the last reset. Calibrate takes them afresh, with "
                          "the sticks at rest and then swept round.");
    case Calibration::Step::HandsOff:
        return QLabel::tr("Step 1 of 2: let go of both sticks and leave them at rest, until each has stayed "
                          "still for a second.");
    case Calibration::Step::Sweeps:
        return QLabel::tr("Step 2 of 2: move each stick round its full range in wide circles, a few times, then "
                          "press Done. It ends by itself once the ranges stop growing.");
    case Calibration::Step::Taken:
        return QLabel::tr("Calibration taken at %1. Copy puts the table on the clipboard.")
            .arg(takenAt ? clockTime(*takenAt) : unknown());
    }
    return {};
}

} // namespace

CalibrationPanel::CalibrationPanel(QWidget *parent)
    : QGroupBox(tr("Calibration"), parent)
{
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(16);
    for (int channel = 0; channel < BoardModel::kAxisCount; ++channel) {
        auto *heading = new QLabel(QString::fromLatin1(tracestyle::kChannels[size_t(channel)].label));
        colourText(*heading, QColor(tracestyle::kChannels[size_t(channel)].colour));
        grid->addWidget(heading, 0, channel + 1, Qt::AlignRight);
    }
    for (const AxisColumn &column : kAxisColumns) {
        const int row = int(table_.size()) + 1;
        grid->addWidget(new QLabel(tr(column.name)), row, 0);
        auto &labels = table_.emplace_back();
        for (int channel = 0; channel < BoardModel::kAxisCount; ++channel) {
            QLabel *&label = labels[size_t(channel)];
            label = figureLabel(fontMetrics(), QStringLiteral("-0000.000"));
            label->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            label->setObjectName(QStringLiteral("%1 A%2").arg(column.name).arg(channel));
            grid->addWidget(label, row, channel + 1, Qt::AlignRight);
        }
    }
    presses_ = figureLabel(fontMetrics(), pressesText(1234567, 1234567));
    grid->addWidget(presses_, int(table_.size()) + 1, 0, 1, BoardModel::kAxisCount + 1);

    calibrate_->setObjectName(QStringLiteral("calibrate"));
    done_->setObjectName(QStringLiteral("calibrationDone"));
    stepText_->setObjectName(QStringLiteral("calibrationStep"));
    calibrate_->setToolTip(tr("Takes the calibration afresh: hands off both sticks until they have rested, then "
                              "sweep each round its full range."));
    connect(calibrate_, &QPushButton::clicked, this, &CalibrationPanel::askToCalibrateOrCancel);
    connect(done_, &QPushButton::clicked, this, &CalibrationPanel::calibrationDoneRequested);
    auto *save = new QPushButton(tr("Save calibration…"));
    save->setObjectName(QStringLiteral("saveCalibration"));
    save->setToolTip(tr("Writes the figures to a file that joystick-gamepad --calibration takes, as "
                        "joystick-stats --json writes them."));
    connect(save, &QPushButton::clicked, this, &CalibrationPanel::saveRequested);
    auto *reset = new QPushButton(tr("Reset"));
    reset->setToolTip(tr("Starts every figure afresh, the sticks' outlines too."));
    connect(reset, &QPushButton::clicked, this, &CalibrationPanel::resetRequested);
    auto *copy = new QPushButton(tr("Copy"));
    copy->setObjectName(QStringLiteral("copy"));
    copy->setToolTip(tr("Puts the figures on the clipboard as text."));
    connect(copy, &QPushButton::clicked, this, &CalibrationPanel::copyRequested);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *button : {calibrate_, done_, save, reset, copy})
        buttons->addWidget(button);
    buttons->addStretch(1);
    auto *steps = new QVBoxLayout;
    steps->addWidget(wrapping(stepText_), 1);
    steps->addLayout(buttons);
    saved_->setObjectName(QStringLiteral("calibrationSaved"));
    steps->addWidget(wrapping(saved_));
    saved_->hide();

    auto *layout = new QHBoxLayout(this);
    layout->addLayout(grid);
    layout->addSpacing(16);
    layout->addLayout(steps, 1);
    showStep(step_, std::nullopt);
}

void CalibrationPanel::showFigures(const BoardStats &stats)
{
    for (int channel = 0; channel < BoardModel::kAxisCount; ++channel) {
        const AxisValues values = axisValues(stats, channel);
        for (size_t row = 0; row < table_.size(); ++row)
            table_[row][size_t(channel)]->setText(figureText(values[row], kAxisColumns[row].decimals));
    }
    presses_->setText(
        pressesText(stats.presses(BoardModel::kFirstButton), stats.presses(BoardModel::kFirstButton + 1)));
}

void CalibrationPanel::showStep(Calibration::Step step, const std::optional<QDateTime> &takenAt)
{
    step_ = step;
    calibrate_->setText(isUnderWay(step) ? tr("Cancel") : tr("Calibrate…"));
    done_->setVisible(step == Calibration::Step::Sweeps);
    stepText_->setText(stepText(step, takenAt));
}

void CalibrationPanel::showSaved(const QString &outcome, bool failed)
{
    saved_->setText(outcome);
    colourText(*saved_, failed ? QColor(kAlarmText) : palette().windowText().color());
    saved_->show();
}

void CalibrationPanel::askToCalibrateOrCancel()
{
    if (isUnderWay(step_))
        emit cancelCalibrationRequested();
    else
        emit calibrateRequested();
}
