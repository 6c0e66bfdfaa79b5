#pragma once

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QString>

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

// The recording: a button to start or stop it, its file, the rows written
// and what became of it. It asks for a recording to start or stop.
class RecordingPanel final : public QGroupBox {
    Q_OBJECT

public:
    explicit RecordingPanel(QWidget *parent = nullptr);

    void showRecording(const RecordingShown &recording);
    const RecordingShown &shown() const { return shown_; }
    // The rows written so far, shown at the next refresh().
    void countRows(qint64 rows) { shown_.rows = rows; }
    void refresh();

signals:
    void recordRequested(const QString &file);
    void stopRecordingRequested();

private:
    void recordOrStop();

    RecordingShown shown_;
    QPushButton *const record_ = new QPushButton;
    QLabel *const file_ = new QLabel;
    QLabel *rows_ = nullptr;
    QLabel *const status_ = new QLabel;
};
