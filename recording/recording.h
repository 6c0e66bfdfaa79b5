#pragma once

#include "recording/rowfile.h"
#include "stickdata/boardmodel.h"
#include "recording/csvrow.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

// Writes one row to a row file for every report a model completes, as it
// completes: the model never skips one, however seldom a window shows
// them. Each row names where the report came from at that moment, so a
// board found again elsewhere goes on in the same file. In a file that is
// continued, `seconds` goes on from its last row, in its line ends.
class Recording final : public QObject {
    Q_OBJECT

public:
    // The port and device the reports come from now.
    using Origin = std::function<ReportOrigin()>;

    // From now on, the reports `model` completes into `file`, which is open.
    Recording(const BoardModel &model, Origin origin, std::unique_ptr<RowFile> file);

    const RowFile &file() const { return *file_; }
    qint64 rows() const { return rowsWritten_; }
    // Whether rows still go in: not after stop() or a failed write.
    bool isRecording() const { return !stopped_; }

    // Takes no more rows; the file stays open until the recording goes.
    void stop();

    // The recording in one sentence, as the programs show it: where every
    // report goes, how many rows went where once stopped, or after how
    // many rows it failed and why.
    QString status() const;
    // Why nothing is recorded to `file`, which did not open.
    static QString refusal(const RowFile &file);

signals:
    void rowWritten();
    // A row could not be written: the recording takes no more, and the
    // file's problem says why.
    void failed();

private:
    void write(const Report &report);

    const BoardModel &model_;
    Origin origin_;
    std::unique_ptr<RowFile> file_;
    QElapsedTimer clock_;
    // `seconds` when the clock started.
    std::chrono::milliseconds startSeconds_;
    CsvRows rows_;
    qint64 rowsWritten_ = 0;
    bool stopped_ = false;
};

// "cannot record to FILE: why", for a file that did not open.
QString cannotRecordTo(const RowFile &file);
