#pragma once

#include "stickdata/boardmodel.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QTimeZone>

#include <array>
#include <chrono>
#include <limits>

// Reports as rows of a CSV file (RFC 4180: fields separated by commas, a
// field holding a comma, a quote or a line break quoted, CRLF after every
// row, the header included; LF for rows added to a file that ends its
// lines so).

// The columns of a row, in order; a row has exactly these fields.
inline constexpr std::array<const char *, 10> kCsvColumns{"time", "seconds", "port", "device", "A0",
                                                          "A1",   "A2",      "A3",   "A4",     "A5"};
// Where each kind of field stands among them.
namespace csvcolumn {
inline constexpr int kTime = 0;
inline constexpr int kSeconds = 1;
inline constexpr int kFirstAxis = 4;
inline constexpr int kFirstButton = kFirstAxis + BoardModel::kAxisCount;
} // namespace csvcolumn

// The file's first line: the columns' names.
QByteArray csvHeader();

// Whether `line`, a file's first line with its line end, is the header as
// this program writes it or as an editor may have saved it again: with or
// without a UTF-8 byte order mark, ending in CRLF or LF.
bool isCsvHeader(QByteArrayView line);

// The rows of one recording, one a report: the local time the report
// completed at (ISO 8601, milliseconds and UTC offset), the seconds since
// the recording began (3 decimals), its port and device, A0 to A3 as
// numbers, and A4 and A5 as 1 while pressed, 0 otherwise. What repeats
// from row to row, the time's second with its offset and the origin, is
// formatted once, for a board that sends many reports a second.
class CsvRows {
public:
    explicit CsvRows(const QTimeZone &zone = QTimeZone::systemTimeZone(), QByteArray lineEnd = "\r\n");

    QByteArray row(std::chrono::system_clock::time_point time, std::chrono::milliseconds sinceStart,
                   const ReportOrigin &origin, const Report &report);

private:
    void formatSecond(std::chrono::seconds sinceEpoch);
    void formatOrigin(const ReportOrigin &origin);

    QTimeZone zone_;
    QByteArray lineEnd_;
    std::chrono::seconds second_{std::numeric_limits<std::chrono::seconds::rep>::min()};
    // "2026-12-08T09:05:07" and "+01:00".
    QByteArray secondText_;
    QByteArray offsetText_;
    ReportOrigin origin_{-1, {}};
    // ",COM3,/dev/ttyACM0".
    QByteArray originText_;
};
