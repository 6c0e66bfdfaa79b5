#include "tests/support/filesizelimit.h"
#include "tests/support/monitor.h"
#include "tests/support/pixels.h"
#include "tests/support/virtualboard.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// The monitor in virtual time, its board found on COM 1, and its details.
struct BoardOnComOne : BoardWithDetails {
    bool coloured(QWidget &view) { return countIn(view.grab().toImage(), view.rect(), saturated) > 0; }

    StickView &leftStick = partNamed<StickView>(details, "left stick");
    StickView &rightStick = partNamed<StickView>(details, "right stick");
    QLabel &alert = partNamed<QLabel>(details, "alert");
    QLabel &recordingStatus = partNamed<QLabel>(details, "recordingStatus");
};

} // namespace

// Every line is shown as received, those the model made nothing of and
// those too long to keep marked; the board's loss greys the plot and the
// sticks and says so at the top until the board is back.
TEST(BoardDetails, FollowTheSessionAndGreyWhileTheBoardIsLost)
{
    BoardOnComOne board;
    ASSERT_TRUE(board.found);
    board.monitor.program.showDetails();
    board.serial->receive("A6 1\r\n" + QByteArray(5000, 'x') + "\r\nJOYSTICK\r\n");
    board.reports(3);
    const auto shownLines = [&] { return board.lines.shownText().split(u'\n').mid(1); };
    EXPECT_TRUE(board.clock->runUntil([&] { return shownLines().size() == 21; }, 5s));
    const QStringList lines = shownLines();
    EXPECT_TRUE(lines.value(0).endsWith(QString::fromUtf8("\u2717 A6 1")));
    EXPECT_TRUE(lines.value(1).endsWith(QString::fromUtf8("\u2717 (a line over 4096 characters, dropped)")));
    EXPECT_TRUE(lines.value(2).endsWith(QStringLiteral("   JOYSTICK")));
    EXPECT_TRUE(lines.value(3).endsWith(QStringLiteral("   A0 100")));
    EXPECT_TRUE(board.shows("Ignored lines", "1"));
    EXPECT_EQ(board.text("Over-long lines dropped"), "1");
    EXPECT_TRUE(board.coloured(board.plot));
    EXPECT_TRUE(board.alert.isHidden());

    board.serial->loseDevice();
    ASSERT_TRUE(board.clock->runUntil([&] { return board.monitor.link.state() == LinkState::Waiting; }, 5s));
    EXPECT_TRUE(board.alert.isVisible());
    EXPECT_TRUE(board.alert.text().startsWith("The board was lost at "));
    for (QWidget *view : std::initializer_list<QWidget *>{&board.plot, &board.leftStick, &board.rightStick})
        EXPECT_FALSE(board.coloured(*view)) << view->metaObject()->className();

    board.monitor.setDevices({"/dev/ttyACM0"});
    ASSERT_TRUE(board.clock->runUntil([&] { return board.monitor.link.state() == LinkState::Polling; }, 5s));
    EXPECT_TRUE(board.alert.isHidden());
    EXPECT_TRUE(board.coloured(board.rightStick));
    EXPECT_TRUE(board.shows("Boards lost / found again", "1 / 1"));
}

// Started from either window, a recording refused or stopped by a full
// disk brings the details window up with the reason in words; rows count
// there while it runs.
TEST(BoardDetails, ARecordingRefusedOrFailedBringsTheWindowUpWithTheReason)
{
    const QTemporaryDir dir;
    BoardOnComOne board;
    ASSERT_TRUE(board.found);
    ASSERT_FALSE(board.monitor.program.record(RowFile::append(dir.path())));
    EXPECT_TRUE(board.details.isVisible());
    EXPECT_TRUE(board.recordingStatus.text().startsWith("Not recording: cannot record to "));
    EXPECT_TRUE(board.alert.text().contains(board.recordingStatus.text()));

    board.details.close();
    const QString path = dir.filePath("board.csv");
    emit board.monitor.window.recordRequested(path);
    board.reports(3);
    EXPECT_FALSE(board.details.isVisible());
    board.details.show();
    EXPECT_TRUE(board.shows("rowsWritten", "3"));
    board.details.close();
    {
        const FileSizeLimit limit(QFileInfo(path).size() + 100);
        board.reports(3);
    }
    EXPECT_TRUE(board.details.isVisible());
    EXPECT_TRUE(board.recordingStatus.text().startsWith("Recording stopped after 4 rows: "))
        << board.recordingStatus.text().toStdString();
    EXPECT_FALSE(board.alert.isHidden());
}

// However often asked for, the details window is one; closing it hides it,
// and closing the main window still runs its unload handling and ends the
// program though the details window is open.
TEST(BoardDetails, OneWindowThatDoesNotKeepTheProgramRunning)
{
    BoardOnComOne board;
    emit board.monitor.window.detailsRequested();
    emit board.monitor.window.detailsRequested();
    int shown = 0;
    for (QWidget *window : QApplication::topLevelWidgets())
        shown += window->isVisible() && window->windowTitle() == "Board details";
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(board.details.close());
    EXPECT_FALSE(board.details.isVisible());
    board.monitor.program.showDetails();

    QTimer::singleShot(0, &board.monitor.window, [&] { board.monitor.window.close(); });
    QTimer::singleShot(30s, &board.details, [&] { QCoreApplication::exit(1); });
    EXPECT_EQ(QCoreApplication::exec(), 0) << "the program went on with the details window open";
    EXPECT_EQ(board.monitor.link.state(), LinkState::Closed);
}
