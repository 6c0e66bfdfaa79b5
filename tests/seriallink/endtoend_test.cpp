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

TEST(EndToEnd, BoardOnPortFourAfterTwoAbsentPortsAndASilentOne)
{
    BoardSimulator port3(BoardOptions::silent());
    BoardSimulator board;
    board.setValues(512, 256, 96, 1008, true, false);
    Monitor monitor({"", "", port3.slavePath(), board.slavePath()});
    monitor.program.start();
    const ventana &w = monitor.window;
    ASSERT_TRUE(runUntil([&] { return w.vA3->text() == "1008" && w.Picture1->drawing().pixelColor(40, 16) == Qt::red; }));

    EXPECT_EQ(monitor.status, QStringList({"Bconsola: Error COM 1", "Bconsola: Error COM 2",
                                           "Info: Conectado a COM 3", "Bconsola: OK PUERTO 3",
                                           "Info: Conectado a COM 4", "Bconsola: OK PUERTO 4"}));
    EXPECT_EQ(port3.requestCount(), 0);
    EXPECT_EQ(monitor.model.coordinates(), (std::array<int16_t, 4>{512, 256, 96, 1008}));
    EXPECT_TRUE(w.vA4->isChecked());
    EXPECT_FALSE(w.vA5->isChecked());
    EXPECT_EQ(w.Picture2->drawing().pixelColor(14, 63), QColor(Qt::blue));
}

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
