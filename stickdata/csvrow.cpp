#include "stickdata/csvrow.h"

#include <cstdlib>

namespace {

constexpr char kRowEnd[] = "\r\n";

// The UTC offset as ISO 8601 writes it, "+01:00", "-03:30", "+00:00".
QString utcOffset(int seconds)
{
    const int minutes = std::abs(seconds) / 60;
    return QStringLiteral("%1%2:%3")
        .arg(QLatin1Char(seconds < 0 ? '-' : '+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

// Qt leaves the offset out of a local time's ISO text, and writes a zero
// offset as "Z": the offset is written here instead, always as a number.
QByteArray isoTime(const QDateTime &time)
{
    return (time.date().toString(Qt::ISODate) + u'T' + time.time().toString(Qt::ISODateWithMs)
            + utcOffset(time.offsetFromUtc()))
        .toLatin1();
}

QByteArray seconds(std::chrono::milliseconds span)
{
    const auto ms = span.count();
    return QByteArray::number(ms / 1000) + '.' + QByteArray::number(ms % 1000).rightJustified(3, '0');
}

// A text field, quoted when it holds a comma, a quote or a line break, with
// its quotes doubled.
QByteArray field(const QString &text)
{
    QByteArray bytes = text.toUtf8();
    if (!bytes.contains(',') && !bytes.contains('"') && !bytes.contains('\r') && !bytes.contains('\n'))
        return bytes;
    return '"' + bytes.replace('"', "\"\"") + '"';
}

} // namespace

QByteArray csvHeader()
{
    return QByteArray("time,seconds,port,device,A0,A1,A2,A3,A4,A5") + kRowEnd;
}

QByteArray csvRow(const QDateTime &time, std::chrono::milliseconds sinceStart, const ReportOrigin &origin,
                  const Report &report)
{
    QByteArray row = isoTime(time) + ',' + seconds(sinceStart) + ',' + field(origin.port) + ','
                     + field(origin.device);
    for (const int16_t coordinate : report.coordinates)
        row += ',' + QByteArray::number(coordinate);
    for (const bool pressed : report.pressed)
        row += pressed ? ",1" : ",0";
    return row + kRowEnd;
}
