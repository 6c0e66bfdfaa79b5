#pragma once

#include "app/rowfile.h"
#include "app/session.h"
#include "stickdata/csvrow.h"

#include <QElapsedTimer>
#include <QObject>

#include <memory>

// Writes one row to a row file for every report the session's model
// completes, as it completes: the model never skips one, however seldom a
// window shows them. Each row names the port and device the link is on at
// that moment, so a board found again elsewhere goes on in the same file.
class Recording final : public QObject {
    Q_OBJECT

public:
    // From now on, into `file`, which is open.
    Recording(BoardSession &session, std::unique_ptr<RowFile> file);

    const RowFile &file() const { return *file_; }
    qint64 rows() const { return rowsWritten_; }

    // Takes no more rows; the file stays open until the recording goes.
    void stop();

signals:
    void rowWritten();
    // A row could not be written: the recording takes no more, and the
    // file's problem says why.
    void failed();

private:
    void write(const Report &report);
    ReportOrigin origin() const;

    BoardSession &session_;
    std::unique_ptr<RowFile> file_;
    QElapsedTimer clock_;
    CsvRows rows_;
    qint64 rowsWritten_ = 0;
};
