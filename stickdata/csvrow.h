#pragma once

#include "stickdata/boardmodel.h"

#include <QByteArray>
#include <QString>
#include <QTimeZone>

#include <chrono>
#include <limits>

// Reports as rows of a CSV file (RFC 4180: fields separated by commas, a
// field holding a comma, a quote or a line break quoted, CRLF after every
// row, the header included).

// Where a report came from: its port's number (3 for COM3) and its device.
struct ReportOrigin {
    int port = 0;
    QString device;
};

// The file's first line: the columns' names.
QByteArray csvHeader();

// The rows of one recording, one a report: the local time the report
// completed at (ISO 8601, milliseconds and UTC offset), the seconds since
// the recording began (3 decimals), its port and device, A0 to A3 as
// numbers, and A4 and A5 as 1 while pressed, 0 otherwise. What repeats
// from row to row, the time's second with its offset and the origin, is
// formatted once, for a board that sends many reports a second.
class CsvRows {
public:
    explicit CsvRows(QTimeZone zone = QTimeZone::systemTimeZone());

    QByteArray row(std::chrono::system_clock::time_point time, std::chrono::milliseconds sinceStart,
                   const ReportOrigin &origin, const Report &report);

private:
    void formatSecond(std::chrono::seconds sinceEpoch);
    void formatOrigin(const ReportOrigin &origin);

    QTimeZone zone_;
    std::chrono::seconds second_{std::numeric_limits<std::chrono::seconds::rep>::min()};
    // "2026-12-08T09:05:07" and "+01:00".
    QByteArray secondText_;
    QByteArray offsetText_;
    ReportOrigin origin_{-1, {}};
    // ",COM3,/dev/ttyACM0".
    QByteArray originText_;
};
