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
