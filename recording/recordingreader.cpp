#include "recording/recordingreader.h"

#include "recording/csvrow.h"

#include <QFileDevice>

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace {

using namespace std::chrono;

using RowFields = std::array<QByteArrayView, kCsvColumns.size()>;

const QString kEndsInsideARow = QStringLiteral("it ends inside a row");

// A text found in a file as a reason quotes it: at most 40 characters,
// control characters shown as "?", so that no file can send a terminal
// escape sequences.
QString quoted(QByteArrayView text)
{
    constexpr qsizetype kShown = 40;
    QString shown = QString::fromUtf8(text.first(std::min(text.size(), 4 * kShown)));
    if (shown.size() > kShown)
        shown = shown.first(kShown) + u'…';
    for (QChar &character : shown)
        if (character.category() == QChar::Other_Control)
            character = u'?';
    return u'"' + shown + u'"';
}

QByteArrayView withoutLineEnd(QByteArrayView line)
{
    if (line.endsWith('\n'))
        line.chop(line.endsWith("\r\n") ? 2 : 1);
    return line;
}

// Where the field that begins at `at` ends: at the comma after it, or at
// the record's end. A quoted field may hold commas and doubled quotes.
qsizetype fieldEnd(QByteArrayView record, qsizetype at)
{
    if (at < record.size() && record[at] == '"') {
        for (qsizetype i = at + 1; i < record.size(); ++i) {
            if (record[i] == '"' && i + 1 < record.size() && record[i + 1] == '"') {
                ++i;
            } else if (record[i] == '"') {
                at = i;
                break;
            }
        }
    }
    const qsizetype comma = record.indexOf(',', at);
    return comma < 0 ? record.size() : comma;
}

QByteArrayView unquoted(QByteArrayView field)
{
    if (field.size() >= 2 && field.front() == '"' && field.back() == '"')
        return field.sliced(1, field.size() - 2);
    return field;
}

// The record's fields, quotes taken off (a doubled quote inside one stays
// doubled: no field read as a number holds one); their number, those past
// the last kept counted too.
qsizetype splitFields(QByteArrayView record, RowFields &fields)
{
    for (qsizetype count = 0, at = 0;; ++count) {
        const qsizetype end = fieldEnd(record, at);
        if (size_t(count) < fields.size())
            fields[size_t(count)] = unquoted(record.sliced(at, end - at));
        if (end == record.size())
            return count + 1;
        at = end + 1;
    }
}

// Whether `text` has `shape`'s characters, each '0' standing for a digit.
bool hasShape(QByteArrayView text, QByteArrayView shape)
{
    if (text.size() != shape.size())
        return false;
    for (qsizetype i = 0; i < text.size(); ++i)
        if (shape[i] == '0' ? text[i] < '0' || text[i] > '9' : text[i] != shape[i])
            return false;
    return true;
}

// Digits checked by hasShape().
int number(QByteArrayView digits)
{
    int value = 0;
    for (const char digit : digits)
        value = value * 10 + (digit - '0');
    return value;
}

// A time as the rows hold it, 2026-12-08T09:36:43.126+01:00 (or ending
// in Z), since the epoch.
std::optional<milliseconds> parseTime(QByteArrayView text)
{
    constexpr QByteArrayView kLocal("0000-00-00T00:00:00.000");
    if (text.size() < kLocal.size() || !hasShape(text.first(kLocal.size()), kLocal))
        return std::nullopt;
    const QByteArrayView offsetText = text.sliced(kLocal.size());
    minutes offset{0};
    if (offsetText != "Z") {
        if (!hasShape(offsetText, "+00:00") && !hasShape(offsetText, "-00:00"))
            return std::nullopt;
        offset = hours(number(offsetText.sliced(1, 2))) + minutes(number(offsetText.sliced(4, 2)));
        offset = offsetText[0] == '-' ? -offset : offset;
    }
    const year_month_day date{year(number(text.sliced(0, 4))), month(unsigned(number(text.sliced(5, 2)))),
                              day(unsigned(number(text.sliced(8, 2))))};
    const hours hour(number(text.sliced(11, 2)));
    const minutes minute(number(text.sliced(14, 2)));
    const seconds second(number(text.sliced(17, 2)));
    if (!date.ok() || hour > 23h || minute > 59min || second > 59s)
        return std::nullopt;
    return sys_days(date).time_since_epoch() + hour + minute + second + milliseconds(number(text.sliced(20, 3)))
           - offset;
}

// A number of seconds, 3723.456, in whole milliseconds. Recordings are
// taken in nanoseconds, which hold 292 years: a billion seconds (31 years)
// is more than any recording and leaves room for the time since its last
// row.
std::optional<milliseconds> parseSeconds(QByteArrayView text)
{
    constexpr double kMostSeconds = 1e9;
    double value = -1;
    const auto [end, error] = std::from_chars(text.begin(), text.end(), value, std::chars_format::fixed);
    if (error != std::errc() || end != text.end() || !(value >= 0 && value < kMostSeconds))
        return std::nullopt;
    return milliseconds(std::llround(value * 1000));
}

std::optional<int16_t> parseAxis(QByteArrayView text)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.begin(), text.end(), value);
    if (error != std::errc() || end != text.end() || value < std::numeric_limits<int16_t>::min()
        || value > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return int16_t(value);
}

std::optional<bool> parseButton(QByteArrayView text)
{
    if (text == "0" || text == "1")
        return text == "1";
    return std::nullopt;
}

// The next line of `file` with its line end, at most `longest` bytes of
// it, into `line`, whose memory is kept from line to line; empty at the
// end. A new array of the longest row's size for each line cost a second
// of system time on 72,000 rows, in calls to mmap (bench/RESULTS.md).
void readLine(QIODevice &file, QByteArray &line, qsizetype longest)
{
    line.resize(longest + 1);
    line.resize(qsizetype(std::max<qint64>(file.readLine(line.data(), line.size()), 0)));
}

// The file's first line with its line end, read into `first`; why it is
// not the header, if it is not.
std::optional<QString> readHeader(QIODevice &file, QByteArray &first)
{
    readLine(file, first, RecordingReader::kLongestRow + 1);
    if (first.isEmpty())
        return QStringLiteral("it is empty, with no header");
    if (isCsvHeader(first))
        return std::nullopt;
    if (!first.endsWith('\n') && isCsvHeader(first + '\n'))
        return kEndsInsideARow;
    constexpr QByteArrayView byteOrderMark("\xEF\xBB\xBF");
    QByteArrayView shown = first;
    if (shown.startsWith(byteOrderMark))
        shown = shown.sliced(byteOrderMark.size());
    return QStringLiteral("its first line is %1, not the header \"%2\"")
        .arg(quoted(withoutLineEnd(shown)), QString::fromLatin1(csvHeader().trimmed()));
}

// How a reason names a row: by its line, or as the file's last row (line 0).
QString rowName(qint64 line)
{
    return line > 0 ? QStringLiteral("line %1").arg(line) : QStringLiteral("its last row");
}

std::optional<QString> fieldCountProblem(qint64 line, qsizetype count)
{
    if (count == qsizetype(kCsvColumns.size()))
        return std::nullopt;
    return QStringLiteral("%1 has %2 field%3, not %4")
        .arg(rowName(line))
        .arg(count)
        .arg(count == 1 ? "" : "s")
        .arg(kCsvColumns.size());
}

QString fieldProblem(qint64 line, const RowFields &fields, int column, const char *expected)
{
    return QStringLiteral("%1: %2 is %3, not %4")
        .arg(rowName(line), QString::fromLatin1(kCsvColumns[size_t(column)]), quoted(fields[size_t(column)]),
             QString::fromLatin1(expected));
}

constexpr char kSecondsExpected[] = "a number of seconds";

} // namespace

RecordingReader::RecordingReader(BoardStats &stats)
    : stats_(stats)
{
}

std::optional<QString> RecordingReader::read(QIODevice &file)
{
    previous_.reset();
    QByteArray record;
    if (auto problem = readHeader(file, record))
        return problem;
    nextLine_ = 2;
    Row row;
    for (bool more = true;;) {
        if (auto problem = readRecord(file, record, more))
            return problem;
        if (!more)
            break;
        if (record.isEmpty())
            continue;
        if (auto problem = parseRow(record, row))
            return problem;
        take(row);
    }
    if (const auto *device = qobject_cast<const QFileDevice *>(&file);
        device && device->error() != QFileDevice::NoError)
        return QStringLiteral("cannot be read: ") + device->errorString();
    return std::nullopt;
}

// The next record, without its line end: lines joined for as long as a
// quoted field is open. `more` is false past the last.
std::optional<QString> RecordingReader::readRecord(QIODevice &file, QByteArray &record, bool &more)
{
    record.resize(0);
    line_ = nextLine_;
    qsizetype quotes = 0;
    do {
        readLine(file, lineRead_, kLongestRow + 1);
        if (lineRead_.isEmpty())
            break;
        ++nextLine_;
        record += lineRead_;
        quotes += lineRead_.count('"');
        if (record.size() > kLongestRow)
            return QStringLiteral("line %1 is longer than any row, over %2 bytes").arg(line_).arg(kLongestRow);
    } while (quotes % 2 != 0);
    more = nextLine_ > line_;
    if (!more)
        return std::nullopt;
    if (!record.endsWith('\n') || quotes % 2 != 0)
        return kEndsInsideARow;
    record.chop(record.endsWith("\r\n") ? 2 : 1);
    return std::nullopt;
}

std::optional<QString> RecordingReader::parseRow(QByteArrayView record, Row &row) const
{
    RowFields fields;
    if (auto problem = fieldCountProblem(line_, splitFields(record, fields)))
        return problem;
    const auto problem = [&](int column, const char *expected) {
        return fieldProblem(line_, fields, column, expected);
    };
    const auto time = parseTime(fields[csvcolumn::kTime]);
    if (!time)
        return problem(csvcolumn::kTime, "a time such as 2026-12-08T09:36:43.126+01:00");
    const auto sinceStart = parseSeconds(fields[csvcolumn::kSeconds]);
    if (!sinceStart)
        return problem(csvcolumn::kSeconds, kSecondsExpected);
    row = {*time, *sinceStart, {}};
    for (int axis = 0; axis < BoardModel::kAxisCount; ++axis) {
        const auto value = parseAxis(fields[size_t(csvcolumn::kFirstAxis + axis)]);
        if (!value)
            return problem(csvcolumn::kFirstAxis + axis, "a whole number from -32768 to 32767");
        row.report.coordinates[size_t(axis)] = *value;
    }
    for (int button = 0; button < 2; ++button) {
        const auto pressed = parseButton(fields[size_t(csvcolumn::kFirstButton + button)]);
        if (!pressed)
            return problem(csvcolumn::kFirstButton + button, "0 or 1");
        row.report.pressed[size_t(button)] = *pressed;
    }
    return std::nullopt;
}

bool RecordingReader::startsSession(const Row &row) const
{
    return !previous_ || row.seconds < previous_->seconds || row.seconds - previous_->seconds > kSessionGap
           || row.time - previous_->time > kSessionGap;
}

void RecordingReader::take(const Row &row)
{
    if (startsSession(row))
        stats_.streamInterrupted();
    stats_.addReport(row.report, row.seconds);
    previous_ = row;
}

namespace {

QByteArray lineEndOf(QByteArrayView line)
{
    return line.endsWith("\r\n") ? "\r\n" : "\n";
}

// The last record of `rows`, which end with a line end, with its line end:
// lines taken from the end for as long as a quoted field is open. None
// when the record may begin before `rows` do, or, where `rows` are all the
// file's rows, when it has a quoted field left open.
std::optional<QByteArrayView> lastRecord(QByteArrayView rows)
{
    qsizetype start = rows.size();
    qsizetype quotes = 0;
    do {
        const qsizetype lineStart = rows.first(start - 1).lastIndexOf('\n') + 1;
        quotes += rows.sliced(lineStart, start - lineStart).count('"');
        start = lineStart;
    } while (quotes % 2 != 0 && start > 0);
    if (quotes % 2 != 0)
        return std::nullopt;
    return rows.sliced(start);
}

// Where rows go on after `rows`, the file's last bytes after its header, all
// of them when `allRows`: its last record that is not blank, as a reader
// skips blank lines.
std::variant<AppendPoint, QString> appendPointAfter(QByteArrayView header, QByteArrayView rows, bool allRows)
{
    if (!rows.isEmpty() && !rows.endsWith('\n'))
        return kEndsInsideARow;
    AppendPoint point{lineEndOf(rows.isEmpty() ? header : rows), {}, {}};
    QByteArrayView record;
    while (withoutLineEnd(record).isEmpty()) {
        if (rows.isEmpty() && allRows)
            return point;
        const auto last = rows.isEmpty() ? std::nullopt : lastRecord(rows);
        if (!last || (last->size() == rows.size() && !allRows))
            return allRows ? kEndsInsideARow
                           : QStringLiteral("its last row is longer than any row, over %1 bytes")
                                 .arg(RecordingReader::kLongestRow);
        record = *last;
        rows.chop(record.size());
    }
    RowFields fields;
    if (const auto problem = fieldCountProblem(0, splitFields(withoutLineEnd(record), fields)))
        return *problem;
    const auto seconds = parseSeconds(fields[csvcolumn::kSeconds]);
    if (!seconds)
        return fieldProblem(0, fields, csvcolumn::kSeconds, kSecondsExpected);
    point.seconds = *seconds;
    point.time = parseTime(fields[csvcolumn::kTime]);
    return point;
}

} // namespace

milliseconds AppendPoint::secondsAt(system_clock::time_point now) const
{
    if (!time)
        return seconds;
    return seconds + std::max(floor<milliseconds>(now.time_since_epoch()) - *time, 0ms);
}

// A row with its line end is at most kLongestRow bytes, so the last one
// and the line end before it lie within the file's last kLongestRow + 1.
std::variant<AppendPoint, QString> appendPoint(QIODevice &file)
{
    QByteArray header;
    if (const auto problem = readHeader(file, header))
        return *problem;
    const qint64 size = file.size();
    const qint64 from = std::max<qint64>(header.size(), size - (RecordingReader::kLongestRow + 1));
    QByteArray rows;
    if (file.seek(from))
        rows = file.read(size - from);
    if (rows.size() != size - from)
        return QStringLiteral("cannot be read: ") + file.errorString();
    return appendPointAfter(header, rows, from == header.size());
}
