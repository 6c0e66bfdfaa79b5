#include "window/details/recordingpanel.h"

#include "window/details/figurelabels.h"
#include "window/filedialogs.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace figurelabels;

RecordingPanel::RecordingPanel(QWidget *parent)
    : QGroupBox(tr("Recording"), parent)
{
    status_->setObjectName(QStringLiteral("recordingStatus"));
    connect(record_, &QPushButton::clicked, this, &RecordingPanel::recordOrStop);
    auto *top = new QHBoxLayout;
    top->addWidget(record_);
    top->addWidget(wrapping(file_), 1);
    rows_ = figureLabel(fontMetrics(), QStringLiteral("0000000000000"));
    rows_->setObjectName(QStringLiteral("rowsWritten"));
    auto *rows = new QFormLayout;
    rows->addRow(tr("Rows written"), rows_);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(rows);
    layout->addWidget(wrapping(status_));
    showRecording(shown_);
}

void RecordingPanel::showRecording(const RecordingShown &recording)
{
    shown_ = recording;
    record_->setText(recording.active ? tr("Stop") : tr("Record…"));
    record_->setToolTip(recording.active ? tr("Stops the recording; its file keeps every row written.")
                                         : tr("Appends a row for every report to a CSV file."));
    file_->setText(recording.file.isEmpty() ? tr("Not recording") : recording.file);
    status_->setText(recording.status);
    status_->setVisible(!recording.status.isEmpty());
    colourText(*status_, recording.failed ? QColor(kAlarmText) : palette().windowText().color());
    refresh();
}

void RecordingPanel::refresh()
{
    rows_->setText(shown_.file.isEmpty() ? unknown() : QString::number(shown_.rows));
}

void RecordingPanel::recordOrStop()
{
    if (shown_.active)
        emit stopRecordingRequested();
    else
        askForRecordingFile(this, [this](const QString &file) { emit recordRequested(file); });
}
