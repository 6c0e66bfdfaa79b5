#pragma once

#include "stickdata/boardmodel.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include <chrono>

// Reports as rows of a CSV file (RFC 4180: fields separated by commas, a
// field holding a comma, a quote or a line break quoted, CRLF after every
// row, the header included).

// Where a report came from: its port ("COM3") and device ("/dev/ttyACM0").
struct ReportOrigin {
    QString port;
    QString device;
};

// The file's first line: the columns' names.
QByteArray csvHeader();

// One report's row: the local time it completed at (ISO 8601, milliseconds
// and UTC offset), the seconds since the recording began (3 decimals), its
// origin, A0 to A3 as numbers, and A4 and A5 as 1 while pressed, 0 otherwise.
QByteArray csvRow(const QDateTime &time, std::chrono::milliseconds sinceStart, const ReportOrigin &origin,
                  const Report &report);
