#include "tests/support/eventloop.h"
#include "tests/support/monitor.h"
#include "tests/support/qtprinters.h"
#include "tests/support/recordedfile.h"
#include "tools/boardsim.h"

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <cmath>

using namespace std::chrono_literals;

// A board that sends reports unasked, far faster than its 9600-baud line
// could carry them, each line behind a few bytes of garbage. The monitor
// must read none of it wrong and keep polling.

namespace {

// The board's values move in steps; at step k (0 to 99) it reports
// A0 = 100 + k, A1 = 300 + k, A2 = 500 + k and A3 = 700 + k, so a lost,
// doubled or foreign character gives a value the board never sends.
constexpr std::array<int, 4> kAxisBase{100, 300, 500, 700};
constexpr int kSteps = 100;

// A board that sends `perSecond` reports unasked from half a second after
// it starts, each line behind garbage, or after a line of it. Garbage from
// this seed spells no channel tag ("A0 " to "A5 ") in its first three
// million lines, far more than the board sends here, so a line can only
// say what the board meant.
BoardOptions flood(int perSecond, bool garbageOnItsOwnLine)
{
    BoardOptions options;
    options.reportsPerSecond = perSecond;
    options.reportsDelayMs = 500;
    options.garbage = true;
    options.garbageOnItsOwnLine = garbageOnItsOwnLine;
    options.garbageSeed = 7;
    return options;
}

// A line as the board sends it, behind at most six characters of garbage
// (the garbage's control characters are dropped on the way).
const QRegularExpression kLineSent(R"(^[\s\S]{0,6}(JOYSTICK|A0 1\d\d|A1 3\d\d|A2 5\d\d|A3 7\d\d|A[45] [01])$)");

// A line that closes a report with no garbage in front: both sticks are redrawn.
const QRegularExpression kCleanReportEnd(R"(^A5 [01]$)");

// Whether a row holds a report of the moving board: each stick on its own
// circle (radius 400 on the left, 300 on the right, around 511.5, rounded
// to whole numbers), each button 0 or 1.
bool isMovingBoardReport(const QList<QByteArray> &row)
{
    const auto at = [&](qsizetype column) { return row.value(column).toDouble(); };
    const auto onCircle = [](double x, double y, double radius) {
        return std::abs(std::hypot(x - 511.5, y - 511.5) - radius) < 1.5;
    };
    return row.size() == 10 && onCircle(at(4), at(5), 400) && onCircle(at(6), at(7), 300)
           && QByteArrayList{"0", "1"}.contains(row[8]) && QByteArrayList{"0", "1"}.contains(row[9]);
}

} // namespace

TEST(Flood, NoReportIsMisreadAndPollingGoesOn)
{
    BoardSimulator board(flood(5000, false));
    int step = 0;
    const auto showStep = [&] {
        board.setValues(kAxisBase[0] + step, kAxisBase[1] + step, kAxisBase[2] + step, kAxisBase[3] + step,
                        step % 2 == 1, step % 2 == 0);
    };
    showStep();
    QTimer stepper;
    QObject::connect(&stepper, &QTimer::timeout, [&] {
        step = (step + 1) % kSteps;
        showStep();
    });
    stepper.start(20ms);

    Monitor monitor({board.slavePath()});
    QStringList linesNotSent;
    int reportsDrawn = 0;
    QObject::connect(&monitor.link, &Link::lineReceived, &monitor.link, [&](const QString &line) {
        if (!kLineSent.match(line).hasMatch())
            linesNotSent.append(line);
        reportsDrawn += kCleanReportEnd.match(line).hasMatch();
    });
    monitor.program.start();
    ASSERT_TRUE(runUntil([&] { return monitor.link.state() == LinkState::Polling; }));
    runFor(500ms);

    // Three seconds of flood at least, and until some reports and requests
    // have got through it, however busy the machine.
    const int requestsBefore = board.requestCount();
    const int reportsBefore = reportsDrawn;
    QElapsedTimer flooded;
    flooded.start();
    runFor(3s);
    const bool gotThrough =
        runUntil([&] { return reportsDrawn - reportsBefore >= 10 && board.requestCount() - requestsBefore >= 5; });
    const auto floodedFor = std::chrono::milliseconds(flooded.elapsed());
    EXPECT_EQ(monitor.link.state(), LinkState::Polling);
    EXPECT_TRUE(gotThrough) << reportsDrawn - reportsBefore << " reports drawn and "
                            << board.requestCount() - requestsBefore << " requests made through the flood";
    EXPECT_TRUE(linesNotSent.isEmpty()) << linesNotSent.first(qMin(linesNotSent.size(), 5)).join(" | ").toStdString();
    // A request is due every 200 ms; the flood may delay some, never
    // multiply them.
    EXPECT_LE(board.requestCount() - requestsBefore, floodedFor / 150ms);
}

// A thousand reports a second, every line behind a line of garbage: the
// window shows a few of them a frame at a time, the recording every one the
// board sent, each whole.
TEST(Flood, EveryReportReachesTheRecordingWhileTheWindowSkipsFrames)
{
    BoardSimulator board(flood(1000, true));
    const QTemporaryDir dir;
    const QString path = dir.filePath("flood.csv");
    Monitor monitor({board.slavePath()});
    ASSERT_TRUE(monitor.program.record(RowFile::append(path)));
    qint64 frames = 0;
    const PaintWatch watch(monitor.window.Picture1, [&] { ++frames; });
    monitor.program.start();
    ASSERT_TRUE(runUntil([&] { return monitor.link.state() == LinkState::Polling; }));
    // Reports the pty has no room for are not sent: the flood goes on until
    // enough of them have got through.
    EXPECT_TRUE(runUntil([&] { return board.reportsSent() >= 2000; })) << "the flood hardly got through";
    board.stopReports();
    const Recording &recording = *monitor.program.recording();
    EXPECT_TRUE(runUntil([&] { return recording.rows() == board.reportsSent(); }))
        << board.reportsSent() << " reports sent, " << recording.rows() << " rows written";

    const RecordedFile file = readRecording(path);
    EXPECT_TRUE(file.whole);
    EXPECT_EQ(file.rows.size(), recording.rows());
    const auto notOfTheBoard = std::find_if_not(file.rows.begin(), file.rows.end(), isMovingBoardReport);
    EXPECT_EQ(notOfTheBoard, file.rows.end()) << notOfTheBoard->join(',').toStdString();
    EXPECT_LT(frames, recording.rows() / 4) << "the window drew nearly every report";
    RecordProperty("reportsSent", int(board.reportsSent()));
    RecordProperty("rowsWritten", int(recording.rows()));
    RecordProperty("framesPainted", int(frames));
}
