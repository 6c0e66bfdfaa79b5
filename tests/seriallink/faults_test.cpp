#include "support/eventloop.h"
#include "support/monitor.h"
#include "support/qtprinters.h"
#include "tools/boardsim.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

// Misbehaving boards and users against the whole program: whatever happens,
// it must go on, find the board where there is one, and end when told.

namespace {

BoardOptions silentBoard()
{
    BoardOptions options;
    options.noKeyword = true;
    options.noAnswer = true;
    return options;
}

} // namespace

TEST(Faults, HangUpDuringDiscoveryMovesOnAndTheBoardOnALaterPortIsFound)
{
    BoardSimulator vanishing(silentBoard());
    BoardSimulator board;
    Monitor monitor({vanishing.slavePath(), board.slavePath()}, 1400ms);
    ventana &w = monitor.window;
    QTimer::singleShot(100ms, &vanishing, &BoardSimulator::hangUp);
    bool openAfterHangUp = true;
    double cpuAfterHangUp = 0;
    QTimer::singleShot(300ms, &w, [&] {
        openAfterHangUp = w.MSComm1->PortOpen();
        cpuAfterHangUp = cpuSeconds();
    });
    QTimer::singleShot(1300ms, &w, [&] { cpuAfterHangUp = cpuSeconds() - cpuAfterHangUp; });
    w.Form_Load();

    EXPECT_FALSE(openAfterHangUp);
    EXPECT_LT(cpuAfterHangUp, 0.3) << "waiting on a port that went away must not spin";
    EXPECT_EQ(w.puerto, 2);
    EXPECT_EQ(w.portok, 1);
    EXPECT_TRUE(runUntil([&] { return board.requestCount() >= 2; }));
}

// The line being assembled is kept from one port to the next, so a partial
// line may prefix the next port's first line; an over-long one is dropped
// with the port it came from, so it cannot swallow the board's keyword.
TEST(Faults, APartialLineOnAPortWithoutTheBoardDoesNotHideTheBoard)
{
    {
        SCOPED_TRACE("a short partial line");
        BoardSimulator wrong(silentBoard());
        wrong.sendRaw("\xE9\x01\xFF A0 12\r\x80JOY"_ba);
        BoardSimulator board;
        Monitor monitor({wrong.slavePath(), board.slavePath()});
        QString leftOver;
        QObject::connect(monitor.window.Info, &QLineEdit::textChanged, &monitor.window, [&](const QString &text) {
            if (text.endsWith("COM 2"))
                leftOver = monitor.window.linea;
        });
        monitor.window.Form_Load();
        EXPECT_EQ(leftOver, QString::fromLatin1("\xE9\xFF A0 12\x80JOY"));
        EXPECT_EQ(monitor.window.puerto, 2);
        EXPECT_EQ(monitor.window.portok, 1);
    }
    {
        SCOPED_TRACE("an over-long partial line before a board that announces once");
        BoardSimulator wrong(silentBoard());
        wrong.sendRaw(QByteArray(6000, 'x'));
        BoardOptions once;
        once.announceIntervalMs = 1'000'000;
        BoardSimulator board(once);
        Monitor monitor({wrong.slavePath(), board.slavePath()});
        monitor.window.Form_Load();
        EXPECT_EQ(monitor.window.puerto, 2);
        EXPECT_EQ(monitor.window.portok, 1);
    }
}

namespace {

// Moments at which the user may close the window or press Exit: while
// discovery waits on a port, and while the board is polled.
struct Stage {
    const char *name;
    BoardOptions options;
    std::chrono::milliseconds portWait;
    std::chrono::milliseconds actAt;
};

const std::array<Stage, 2> kStages{{
    {"discovery wait", silentBoard(), 10s, 200ms},
    {"polling", BoardOptions{}, 300ms, 800ms},
}};

} // namespace

TEST(Faults, ClosingTheWindowEndsDiscoveryOrPollingAndClosesThePort)
{
    for (const Stage &stage : kStages) {
        SCOPED_TRACE(stage.name);
        BoardSimulator board(stage.options);
        Monitor monitor({board.slavePath()}, stage.portWait);
        ventana &w = monitor.window;
        bool closed = false;
        QTimer::singleShot(stage.actAt, &w, [&] { closed = w.close(); });
        QElapsedTimer clock;
        clock.start();
        w.Form_Load();

        EXPECT_LT(clock.elapsed(), 5000) << "Form_Load must return promptly";
        ASSERT_TRUE(runUntil([&] { return closed; }));
        EXPECT_TRUE(w.isUnloaded());
        EXPECT_FALSE(w.MSComm1->PortOpen());
        const int requests = board.requestCount();
        runFor(600ms);
        EXPECT_FALSE(w.Timer1->isActive());
        EXPECT_EQ(board.requestCount(), requests) << "polling goes on after the close";
        EXPECT_EQ(w.Bconsola->text(), "OK PUERTO 1") << "a request was tried after the close";
    }
}

TEST(FaultsDeathTest, ExitEndsTheProcessWithStatusZeroDuringDiscoveryOrPolling)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const Stage &stage : kStages) {
        SCOPED_TRACE(stage.name);
        EXPECT_EXIT(
            {
                BoardSimulator board(stage.options);
                Monitor monitor({board.slavePath()}, stage.portWait);
                QTimer::singleShot(stage.actAt, monitor.window.Exit, &QPushButton::click);
                monitor.window.Form_Load();
                runFor(5s);
                std::abort();
            },
            ::testing::ExitedWithCode(0), "");
    }
}
