#include "recording/csvrow.h"

#include <QDateTime>

#include <array>
#include <charconv>
#include <cstdlib>

namespace {

constexpr char kRowEnd[] = "\r\n";
// A row with a device path of ordinary length fits without growing.
constexpr qsizetype kRowCapacity = 128;

void appendNumber(QByteArray &row, long long number)
{
    std::array<char, 24> digits{};
    const char *end = std::to_chars(digits.data(), digits.data() + digits.size(), number).ptr;
    row.append(digits.data(), end - digits.data());
}

// A number below 1000 as three digits: the milliseconds of a time.
void appendThreeDigits(QByteArray &row, long long number)
{
    row.append(char('0' + number / 100)).append(char('0' + number / 10 % 10)).append(char('0' + number % 10));
}

// The UTC offset as ISO 8601 writes it, "+01:00", "-03:30", "+00:00":
// always a number, where Qt writes a zero offset as "Z".
QByteArray utcOffset(int seconds)
{
    const int minutes = std::abs(seconds) / 60;
    return QStringLiteral("%1%2:%3")
        .arg(QLatin1Char(seconds < 0 ? '-' : '+'))
        .arg(minutes / 60, 2, 10, QLatin1Char('0'))
        .arg(minutes % 60, 2, 10, QLatin1Char('0'))
        .toLatin1();
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

QByteArray columnNames()
{
    QByteArray names;
    for (const char *column : kCsvColumns)
        names.append(names.isEmpty() ? "" : ",").append(column);
    return names;
}

} // namespace

QByteArray csvHeader()
{
    return columnNames() + kRowEnd;
}

bool isCsvHeader(QByteArrayView line)
{
    static const QByteArray header = columnNames();
    constexpr QByteArrayView byteOrderMark("\xEF\xBB\xBF");
    if (line.startsWith(byteOrderMark))
        line = line.sliced(byteOrderMark.size());
    if (!line.endsWith('\n'))
        return false;
    line.chop(line.endsWith("\r\n") ? 2 : 1);
    return line == header;
}

CsvRows::CsvRows(const QTimeZone &zone, QByteArray lineEnd)
    : zone_(zone)
    , lineEnd_(std::move(lineEnd))
{
}

QByteArray CsvRows::row(std::chrono::system_clock::time_point time, std::chrono::milliseconds sinceStart,
                        const ReportOrigin &origin, const Report &report)
{
    const auto sinceEpoch = std::chrono::floor<std::chrono::milliseconds>(time.time_since_epoch());
    const auto second = std::chrono::floor<std::chrono::seconds>(sinceEpoch);
    if (second != second_)
        formatSecond(second);
    if (origin.port != origin_.port || origin.device != origin_.device)
        formatOrigin(origin);

    QByteArray row;
    row.reserve(kRowCapacity);
    row.append(secondText_).append('.');
    appendThreeDigits(row, (sinceEpoch - second).count());
    row.append(offsetText_).append(',');
    appendNumber(row, sinceStart.count() / 1000);
    row.append('.');
    appendThreeDigits(row, sinceStart.count() % 1000);
    row.append(originText_);
    for (const int16_t coordinate : report.coordinates) {
        row.append(',');
        appendNumber(row, coordinate);
    }
    for (const bool pressed : report.pressed)
        row.append(pressed ? ",1" : ",0");
    return row.append(lineEnd_);
}

// The offset is taken anew with each second, so a change of summer time
// shows from its first row.
void CsvRows::formatSecond(std::chrono::seconds sinceEpoch)
{
    second_ = sinceEpoch;
    const QDateTime local = QDateTime::fromSecsSinceEpoch(sinceEpoch.count(), zone_);
    secondText_ = (local.date().toString(Qt::ISODate) + u'T' + local.time().toString(Qt::ISODate)).toLatin1();
    offsetText_ = utcOffset(local.offsetFromUtc());
}

void CsvRows::formatOrigin(const ReportOrigin &origin)
{
    origin_ = origin;
    originText_ = ",COM" + QByteArray::number(origin.port) + ',' + field(origin.device);
}
