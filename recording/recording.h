#pragma once

#include "recording/csvrow.h"
#include "recording/rowfile.h"
#include "stickdata/boardline.h"
#include "stickdata/boardmodel.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <functional>
#include <memory>

// Writes one row to a row file for every whole report the board completes,
// as it completes, however seldom a window shows them: a report only once
// every channel in it has arrived since its port opened, so that no row
// holds a value the board never sent. Each row names where the report came
// from at that moment, so a board found again elsewhere goes on in the same
// file; its time and seconds are the arrival of the report's closing line.
// In a file that is continued, `seconds` goes on from its last row, in its
// line ends.
class Recording final : public QObject {
    Q_OBJECT

public:
    // The port and device the reports come from now.
    using Origin = std::function<ReportOrigin()>;

    // From `start` on, the reports it takes into `file`, which is open.
    Recording(Origin origin, std::unique_ptr<RowFile> file, Arrival start);

    // Writes a row for the report `line` completed, if whole and while
    // recording; says in the status why nothing is written for one that is
    // not.
    void take(const BoardLine &line);

    const RowFile &file() const { return *file_; }
    qint64 rows() const { return rowsWritten_; }
    // Whether rows still go in: not after stop() or a failed write.
    bool isRecording() const { return !stopped_; }

    // Takes no more rows; the file stays open until the recording goes.
    void stop();

    // The recording in one sentence, as the programs show it: where every
    // report goes and, once one was left out, that it waits for a whole one
    // and which channels the board does not send; how many rows went where
    // once stopped; or after how many rows it failed and why.
    QString status() const;
    // Why nothing is recorded to `file`, which did not open.
    static QString refusal(const RowFile &file);

signals:
    void rowWritten();
    // The status changed otherwise: it waits for a whole report, or no longer.
    void statusChanged();
    // A row could not be written: the recording takes no more, and the
    // file's problem says why.
    void failed();

private:
    void writeRow(const Report &report, const Arrival &arrival);
    void waitForWholeReports(ChannelSet unseen);

    Origin origin_;
    std::unique_ptr<RowFile> file_;
    const Arrival start_;
    // `seconds` at the start.
    const std::chrono::milliseconds startSeconds_;
    CsvRows rows_;
    qint64 rowsWritten_ = 0;
    bool stopped_ = false;
    // Reports left out in a row for the channels they lacked, and those
    // channels; while there are any, it waits, and a whole report ends the
    // wait.
    int partialReports_ = 0;
    ChannelSet lacking_;
};

// "cannot record to FILE: why", for a file that did not open.
QString cannotRecordTo(const RowFile &file);
