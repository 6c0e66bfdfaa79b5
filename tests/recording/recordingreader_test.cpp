#include "recording/recordingreader.h"
#include "stickdata/statsreport.h"
#include "tests/support/qtprinters.h"

#include <QBuffer>
#include <QDateTime>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

using namespace std::chrono;

namespace {

const QByteArray kHeader = "time,seconds,port,device,A0,A1,A2,A3,A4,A5\r\n";

// A row `seconds` into a recording that began at 09:00:00 plus `offset`
// seconds, A0 to A3 and A4 as given, with CRLF.
QByteArray row(double offset, double seconds, int a0 = 512, int a2 = 300, int a4 = 0)
{
    const int ms = int(std::lround((offset + seconds) * 1000));
    return QStringLiteral("2026-12-08T09:%1:%2.%3+01:00,%4,COM1,/dev/ttyACM0,%5,500,%6,300,%7,0\r\n")
        .arg(ms / 60000, 2, 10, QLatin1Char('0'))
        .arg(ms / 1000 % 60, 2, 10, QLatin1Char('0'))
        .arg(ms % 1000, 3, 10, QLatin1Char('0'))
        .arg(seconds, 0, 'f', 3)
        .arg(a0)
        .arg(a2)
        .arg(a4)
        .toLatin1();
}

struct Read {
    std::optional<QString> problem;
    LinkFigures link;
};

Read read(QByteArray content, BoardStats &stats)
{
    QBuffer file(&content);
    file.open(QIODevice::ReadOnly);
    RecordingReader reader(stats);
    const auto problem = reader.read(file);
    return {problem, stats.link()};
}

} // namespace

TEST(RecordingReader, SessionsSplitWhereSecondsGoBackOrTimeJumps)
{
    struct Case {
        const char *name;
        QByteArray content;
        quint64 reports;
        quint64 sessions;
        double maxIntervalMs;
    };
    const Case cases[] = {
        {"LF line ends and a byte order mark",
         "\xEF\xBB\xBF" + QByteArray(kHeader + row(0, 0) + row(0, 0.1) + row(0, 0.25)).replace("\r\n", "\n"), 3, 1,
         150},
        {"sessions appended by an older monitor, each from 0, the second at once",
         kHeader + row(0, 5) + row(0, 5.1) + row(5, 0.2) + row(5, 0.3), 4, 2, 100},
        {"a recording continued a minute later, seconds going on",
         kHeader + row(0, 1) + row(0, 1.1) + row(0, 61.1) + row(0, 61.3), 4, 2, 200},
        {"an older monitor's board lost for a while: only the time jumps",
         kHeader + row(0, 0.1) + row(0, 0.2) + row(30, 0.3), 3, 2, 100},
        {"a gap of 4 s is a slow board, not a new session", kHeader + row(0, 0) + row(0, 4), 2, 1, 4000},
        {"blank lines, and a device quoted with a comma, a quote and a line break",
         kHeader + row(0, 0) + "\r\n" + row(0, 0.1).replace("/dev/ttyACM0", "\"/tmp/a,\"\"b\"\"\nc\"") + row(0, 0.2)
             + "\n",
         3, 1, 100},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        BoardStats stats;
        const Read result = read(c.content, stats);
        ASSERT_FALSE(result.problem) << result.problem->toStdString();
        EXPECT_EQ(result.link.reports, c.reports);
        EXPECT_EQ(result.link.sessions, c.sessions);
        ASSERT_TRUE(result.link.interval);
        EXPECT_NEAR(result.link.interval->maxMs, c.maxIntervalMs, 1e-9);
    }
}

TEST(RecordingReader, AFileThatIsNoRecordingIsNamedWithWhatWasFound)
{
    const std::pair<QByteArray, QString> cases[] = {
        {"", "it is empty, with no header"},
        {"\xEF\xBB\xBFname,score\r\nbob,3\r\n",
         "its first line is \"name,score\", not the header \"time,seconds,port,device,A0,A1,A2,A3,A4,A5\""},
        {"\x1b]0;x\x07" + QByteArray(100, 'y') + "\n",
         "its first line is \"?]0;x?yyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyyy…\", not the header "
         "\"time,seconds,port,device,A0,A1,A2,A3,A4,A5\""},
        {kHeader.chopped(2), "it ends inside a row"},
        {kHeader + row(0, 0).chopped(5), "it ends inside a row"},
        {kHeader + row(0, 0).replace("/dev/ttyACM0", "\"/dev/tty"), "it ends inside a row"},
        {kHeader + row(0, 0) + "1,2,3,4,5,6,7\r\n", "line 3 has 7 fields, not 10"},
        {kHeader + row(0, 0).replace(",512,", ",5x2,"),
         "line 2: A0 is \"5x2\", not a whole number from -32768 to 32767"},
        {kHeader + row(0, 0).replace(",512,", ",40000,"),
         "line 2: A0 is \"40000\", not a whole number from -32768 to 32767"},
        {kHeader + row(0, 0).replace("09:00:00", "09:00:61"),
         "line 2: time is \"2026-12-08T09:00:61.000+01:00\", not a time such as 2026-12-08T09:36:43.126+01:00"},
        {kHeader + row(0, 0).replace(",0.000,", ",-1,"), "line 2: seconds is \"-1\", not a number of seconds"},
        {kHeader + row(0, 0).replace(",0.000,", ",88888888807,"),
         "line 2: seconds is \"88888888807\", not a number of seconds"},
        {kHeader + row(0, 0).replace(",300,0,0", ",300,2,0"), "line 2: A4 is \"2\", not 0 or 1"},
        {kHeader + QByteArray(RecordingReader::kLongestRow + 1, 'x'),
         "line 2 is longer than any row, over 65536 bytes"},
    };
    for (const auto &[content, reason] : cases) {
        SCOPED_TRACE(reason.toStdString());
        BoardStats stats;
        EXPECT_EQ(read(content, stats).problem.value_or(QString()), reason);
    }
}

TEST(RecordingReader, JsonHasEveryFigureAndNullWhereAStickNeverRested)
{
    QByteArray content = kHeader;
    for (int i = 0; i < 15; ++i)
        content += row(0, 0.1 * i, 512, 100 + 50 * i, i % 4 == 1);
    content += row(60, 0, 600, 900, 0);
    BoardStats stats;
    ASSERT_FALSE(read(content, stats).problem);
    const QJsonObject json = QJsonDocument::fromJson(statsJson(stats)).object();
    const QJsonDocument expected = QJsonDocument::fromJson(R"({
        "reports": 16, "sessions": 2, "rate": 10, "interval_ms": {"mean": 100, "sd": 0, "max": 100},
        "buttons": {"A4": {"presses": 4}, "A5": {"presses": 0}},
        "A0": {"min": 512, "max": 600, "centre": 512, "noise_sd": 0, "noise_pp": 0, "dead_zone": 1,
               "span_below": 0, "span_above": 88},
        "A2": {"min": 100, "max": 900, "centre": null, "noise_sd": null, "noise_pp": null, "dead_zone": null,
               "span_below": null, "span_above": null}})");

    EXPECT_EQ(json.keys(), (QStringList{"axes", "buttons", "interval_ms", "rate", "reports", "sessions"}));
    for (const char *figure : {"reports", "sessions", "rate", "interval_ms", "buttons"})
        EXPECT_EQ(json[figure], expected[figure]) << figure;
    const QJsonObject axes = json["axes"].toObject();
    EXPECT_EQ(axes.keys(), (QStringList{"A0", "A1", "A2", "A3"}));
    for (const char *axis : {"A0", "A2"})
        EXPECT_EQ(axes[axis], expected[axis]) << axis;
}

// What a file to be continued ends with, or why rows may not follow it
// (the plain cases, LF, CRLF, a byte order mark, a torn row and another
// program's file, are continued or refused in a file by the recording test).
TEST(AppendPoint, RowsFollowTheHeaderOrTheLastRowThatIsNotBlankWithSecondsGoingOnAndNeverBack)
{
    const QByteArray lastRow = row(0, 1.5);
    QByteArray manyRows = kHeader;
    while (manyRows.size() <= 2 * RecordingReader::kLongestRow)
        manyRows += row(0, 0.1);
    const AppendPoint at1500{"\r\n", 1500ms,
                             milliseconds(QDateTime::fromString("2026-12-08T09:00:01.500+01:00", Qt::ISODateWithMs)
                                              .toMSecsSinceEpoch())};
    const std::pair<QByteArray, std::variant<AppendPoint, QString>> cases[] = {
        {kHeader.chopped(2) + "\n", AppendPoint{"\n", 0ms, {}}},
        {kHeader + QByteArray(lastRow).replace("/dev/ttyACM0", "\"/tmp/a\r\nb\"") + "\r\n", at1500},
        {manyRows + lastRow, at1500},
        {kHeader + QByteArray(lastRow).replace('T', ' '), AppendPoint{"\r\n", 1500ms, {}}},
        {kHeader + QByteArray(lastRow).replace("/dev/ttyACM0", "\"/dev"), "it ends inside a row"},
        {kHeader + lastRow + "1,2,3\r\n", "its last row has 3 fields, not 10"},
        {kHeader + QByteArray(lastRow).replace(",1.500,", ",1.5s,"),
         "its last row: seconds is \"1.5s\", not a number of seconds"},
        {kHeader + QByteArray(RecordingReader::kLongestRow + 1, 'x') + "\n",
         "its last row is longer than any row, over 65536 bytes"},
    };
    for (auto [content, expected] : cases) {
        QBuffer file(&content);
        file.open(QIODevice::ReadOnly);
        EXPECT_EQ(appendPoint(file), expected) << content.left(200).toStdString();
    }

    // A last row whose time did not read, or lies ahead, counts as just now.
    const milliseconds lastTime(1'800'000'000'000);
    const AppendPoint point{"\r\n", 1500ms, lastTime};
    EXPECT_EQ(point.secondsAt(system_clock::time_point(lastTime + 60s)), 61500ms);
    EXPECT_EQ(point.secondsAt(system_clock::time_point(lastTime - 1h)), 1500ms);
    EXPECT_EQ((AppendPoint{"\r\n", 1500ms, {}}.secondsAt(system_clock::time_point(lastTime))), 1500ms);
}
