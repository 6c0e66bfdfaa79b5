#include "tests/support/eventloop.h"
#include "tests/support/monitor.h"
#include "tests/support/qtprinters.h"
#include "tests/support/recordedfile.h"
#include "tools/boardsim.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

// The monitor recording what simulated boards on pseudo-terminals send,
// through the real serial layer.

namespace {

// A0 to A5 as a row holds them: the buttons 1 while pressed.
QList<QByteArray> rowValues(int a0, int a1, int a2, int a3, bool rightPressed, bool leftPressed)
{
    QList<QByteArray> values;
    for (int axis : {a0, a1, a2, a3})
        values.append(QByteArray::number(axis));
    return values << (rightPressed ? "1" : "0") << (leftPressed ? "1" : "0");
}

} // namespace

// Each answer carries values of its own; the board then stops answering
// and the program ends as when its window is closed.
TEST(RecordingEndToEnd, TheFileHoldsExactlyTheReportsTheBoardSentEachWhole)
{
    const QTemporaryDir dir;
    const QString path = dir.filePath("board.csv");
    BoardSimulator board;
    QList<QList<QByteArray>> sent;
    bool answering = true;
    const auto setStep = [&](int k) { board.setValues(100 + k, 300 + k, 500 + k, 700 + k, k % 2 == 0, k % 3 == 0); };
    setStep(0);
    QObject::connect(&board, &BoardSimulator::requestReceived, [&] {
        if (!answering)
            return;
        const int k = int(sent.size());
        sent.append(rowValues(100 + k, 300 + k, 500 + k, 700 + k, k % 2 == 0, k % 3 == 0));
        setStep(k + 1);
    });
    {
        Monitor monitor({board.slavePath()});
        ASSERT_TRUE(monitor.program.record(RowFile::append(path)));
        monitor.program.start();
        ASSERT_TRUE(runUntil([&] { return sent.size() >= 8; }));
        answering = false;
        board.setAnswering(false);
        EXPECT_TRUE(runUntil([&] { return monitor.program.recording()->rows() == sent.size(); }));
        ASSERT_TRUE(monitor.window.close());
    }

    const RecordedFile file = readRecording(path);
    EXPECT_TRUE(file.whole);
    ASSERT_EQ(file.rows.size(), sent.size());
    for (qsizetype i = 0; i < sent.size(); ++i) {
        SCOPED_TRACE(file.rows[i].join(',').toStdString());
        ASSERT_EQ(file.rows[i].size(), 10);
        EXPECT_EQ(RecordedFile::values(file.rows[i]), sent[i]);
        EXPECT_EQ(file.rows[i][2], "COM1");
        EXPECT_EQ(file.rows[i][3], board.slavePath().toUtf8());
    }
}

// A lost board is no longer polled, its last values stay shown, and found
// again on another port it goes on in the same file.
TEST(RecordingEndToEnd, ABoardFoundAgainOnAnotherPortGoesOnInTheSameFile)
{
    const QTemporaryDir dir;
    const QString path = dir.filePath("board.csv");
    auto first = std::make_unique<BoardSimulator>();
    first->setValues(100, 200, 300, 400, false, false);
    const QByteArray firstDevice = first->slavePath().toUtf8();
    Monitor monitor({first->slavePath()});
    ASSERT_TRUE(monitor.program.record(RowFile::append(path)));
    const Recording &recording = *monitor.program.recording();
    monitor.program.start();
    ASSERT_TRUE(runUntil([&] { return recording.rows() >= 2 && monitor.window.vA0->text() == "100"; }));

    first->hangUp();
    monitor.setDevices({});
    ASSERT_TRUE(runUntil([&] { return monitor.link.state() == LinkState::Waiting; }));
    EXPECT_EQ(monitor.window.Bconsola->text(), "Error COM 1");
    EXPECT_TRUE(monitor.window.Bconsola->toolTip().endsWith("the device went away"));
    EXPECT_EQ(monitor.window.vA0->text(), "100") << "the last values stay shown";
    const qint64 rowsFromFirst = recording.rows();
    BoardSimulator second;
    second.setValues(500, 600, 700, 800, true, true);
    monitor.setDevices({"", "", second.slavePath()});
    ASSERT_TRUE(runUntil([&] { return recording.rows() >= rowsFromFirst + 2 && monitor.window.vA0->text() == "500"; }));
    EXPECT_EQ(monitor.link.port(), 3);

    const RecordedFile file = readRecording(path);
    EXPECT_TRUE(file.whole);
    ASSERT_EQ(file.rows.size(), recording.rows());
    for (qsizetype i = 0; i < file.rows.size(); ++i) {
        const bool fromFirst = i < rowsFromFirst;
        SCOPED_TRACE(file.rows[i].join(',').toStdString());
        EXPECT_EQ(file.rows[i][2], fromFirst ? "COM1" : "COM3");
        EXPECT_EQ(file.rows[i][3], fromFirst ? firstDevice : second.slavePath().toUtf8());
        EXPECT_EQ(RecordedFile::values(file.rows[i]),
                  fromFirst ? rowValues(100, 200, 300, 400, false, false) : rowValues(500, 600, 700, 800, true, true));
    }
}
