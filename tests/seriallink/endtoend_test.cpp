#include "seriallink/portlock.h"
#include "tests/support/eventloop.h"
#include "tests/support/monitor.h"
#include "tests/support/qtprinters.h"
#include "tools/boardsim.h"

#include <QFile>
#include <QSerialPort>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

// The whole program on the real serial layer, against simulated boards on
// pseudo-terminals.

namespace {

// The stages a window is closed or the program ended in: the search
// waiting on a silent board's port, and polling once the wait on the
// board's port has run out (a few requests in).
struct Stage {
    const char *name;
    BoardOptions board;
    std::chrono::milliseconds portWait;
    bool (*reached)(const Monitor &, const BoardSimulator &);

    LinkTiming timing() const
    {
        LinkTiming timing = testTiming();
        timing.portWait = portWait;
        return timing;
    }
};
const Stage kStages[] = {
    {"searching", BoardOptions::silent(), 10s,
     [](const Monitor &monitor, const BoardSimulator &) { return monitor.link.state() == LinkState::Scanning; }},
    {"polling", BoardOptions{}, testTiming().portWait,
     [](const Monitor &monitor, const BoardSimulator &board) {
         return monitor.link.state() == LinkState::Polling && board.requestCount() >= 3;
     }},
};
const Stage &kSearching = kStages[0];

} // namespace

TEST(EndToEnd, ClosingTheWindowWhileSearchingOrPollingReleasesThePort)
{
    for (const Stage &stage : kStages) {
        SCOPED_TRACE(stage.name);
        BoardSimulator board(stage.board);
        Monitor monitor({board.slavePath()}, stage.timing());
        monitor.program.start();
        ASSERT_TRUE(runUntil([&] { return stage.reached(monitor, board); }));
        QSerialPort other(board.slavePath());
        ASSERT_FALSE(other.open(QIODevice::ReadWrite)) << "the port is not held before the close";
        ASSERT_TRUE(monitor.window.close());
        const int requests = board.requestCount();
        runFor(600ms);
        EXPECT_EQ(board.requestCount(), requests) << "polling goes on after the close";
        EXPECT_TRUE(other.open(QIODevice::ReadWrite)) << "the port is still held";
    }
}

// Exit leaves the port to the end of the process, which releases it, but
// not the lock file the serial layer made for it, which names the process
// that has ended. The board lives in this process: the process that Exit
// ends runs this test again from the start, and opens the board by the
// name this one leaves in the environment.
TEST(EndToEndDeathTest, ExitLeavesNoLockFileForItsPort)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    constexpr auto kPortVariable = "EXIT_TEST_PORT";
    BoardSimulator board(BoardOptions::silent());
    if (!qEnvironmentVariableIsSet(kPortVariable))
        qputenv(kPortVariable, board.slavePath().toLocal8Bit());
    const QString port = qEnvironmentVariable(kPortVariable);
    const QString lockFile = PortLocks().lockFile(port);
    {
        QSerialPort probe(port);
        ASSERT_TRUE(probe.open(QIODevice::ReadWrite));
        ASSERT_TRUE(QFile::exists(lockFile)) << "the serial layer keeps its lock files elsewhere";
    }

    EXPECT_EXIT(
        {
            Monitor monitor({port}, kSearching.timing());
            monitor.program.start();
            if (runUntil([&] { return kSearching.reached(monitor, board); }))
                monitor.window.Exit->click();
            std::abort();
        },
        ::testing::ExitedWithCode(0), "");
    qunsetenv(kPortVariable);
    EXPECT_FALSE(QFile::exists(lockFile));
}
