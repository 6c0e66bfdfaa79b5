#include "support/eventloop.h"
#include "support/monitor.h"
#include "support/qtprinters.h"
#include "tools/boardsim.h"

#include <QTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

// The board's life after start: plugged in later, pulled, plugged in
// elsewhere. The device list and its change notices are the test's.

namespace {

constexpr auto kPortWait = 200ms;
// A change settles for a second, then a discovery runs through at most
// seven waits.
constexpr auto kFindAgain = 10s;

BoardOptions silentDevice()
{
    BoardOptions options;
    options.noKeyword = true;
    options.noAnswer = true;
    return options;
}

// How many ports the monitor has opened so far.
qsizetype opened(const Monitor &monitor)
{
    return monitor.status.filter("Info: Conectado a COM").size();
}

} // namespace

TEST(Reconnect, ABoardPluggedInAfterStartIsFoundAndPolled)
{
    Monitor monitor({}, kPortWait);
    monitor.window.Form_Load();
    ASSERT_EQ(monitor.window.portok, 0);

    BoardSimulator board;
    monitor.setDevices({"", board.slavePath()});
    ASSERT_TRUE(runUntil([&] { return board.requestCount() >= 2; }, kFindAgain));
    EXPECT_EQ(monitor.window.portok, 1);
    EXPECT_EQ(monitor.window.Bconsola->text(), "OK PUERTO 2");
    EXPECT_EQ(monitor.window.Info->text(), "Conectado a COM 2");
}

TEST(Reconnect, ALostBoardIsNoLongerPolledAndIsFoundAgainOnAnotherPort)
{
    auto first = std::make_unique<BoardSimulator>();
    first->setValues(100, 200, 300, 400, false, false);
    Monitor monitor({first->slavePath()}, kPortWait);
    monitor.window.Form_Load();
    ASSERT_TRUE(runUntil([&] { return monitor.window.vA0->text() == "100"; }));

    first->hangUp();
    monitor.setDevices({});
    ASSERT_TRUE(runUntil([&] { return monitor.window.portok == 0; }));
    EXPECT_FALSE(monitor.window.Timer1->isActive()) << "requests would go into a port that is gone";
    EXPECT_EQ(monitor.window.Bconsola->text(), "Error COM 1");
    EXPECT_TRUE(monitor.window.Bconsola->toolTip().endsWith("the device went away"));
    EXPECT_EQ(monitor.window.vA0->text(), "100") << "the last values stay shown";

    BoardSimulator second;
    second.setValues(500, 600, 700, 800, false, false);
    monitor.setDevices({"", "", second.slavePath()});
    ASSERT_TRUE(runUntil([&] { return monitor.window.vA0->text() == "500"; }, kFindAgain));
    EXPECT_EQ(monitor.window.puerto, 3);
    EXPECT_EQ(monitor.window.portok, 1);
}

TEST(Reconnect, NoPortIsOpenedWithoutAReason)
{
    BoardSimulator silent(silentDevice());
    Monitor monitor({silent.slavePath()}, kPortWait);
    monitor.window.Form_Load();
    const qsizetype afterDiscovery = opened(monitor);
    monitor.setDevices(monitor.devices);
    runFor(std::chrono::milliseconds(ComPortMap::kSettleMs) + 1s);
    EXPECT_EQ(opened(monitor), afterDiscovery) << "a notice that changed nothing";

    BoardSimulator board;
    monitor.setDevices({silent.slavePath(), board.slavePath()});
    ASSERT_TRUE(runUntil([&] { return monitor.window.portok == 1; }, kFindAgain));
    const qsizetype afterFound = opened(monitor);
    BoardSimulator another;
    monitor.setDevices({silent.slavePath(), board.slavePath(), another.slavePath()});
    runFor(std::chrono::milliseconds(ComPortMap::kSettleMs) + 1s);
    EXPECT_EQ(opened(monitor), afterFound) << "a change while the board is connected";
    EXPECT_EQ(another.requestCount(), 0);
}

namespace {

// Plugs in a device without the board once the first discovery is over,
// and acts when the discovery that follows has opened it.
template <typename Act>
void actDuringARediscovery(Monitor &monitor, BoardSimulator &device, Act act)
{
    QObject::connect(monitor.window.Info, &QLineEdit::textChanged, &monitor.window, [&, act](const QString &text) {
        if (text == "Conectado a COM 1")
            QTimer::singleShot(0, &monitor.window, act);
    });
    monitor.window.Form_Load();
    monitor.setDevices({device.slavePath()});
}

} // namespace

TEST(Reconnect, ClosingTheWindowEndsARediscoveryAndClosesThePort)
{
    BoardSimulator silent(silentDevice());
    Monitor monitor({}, kPortWait);
    bool closed = false;
    actDuringARediscovery(monitor, silent, [&] { closed = monitor.window.close(); });
    ASSERT_TRUE(runUntil([&] { return closed; }, kFindAgain));
    runFor(500ms);
    EXPECT_FALSE(monitor.window.MSComm1->PortOpen());
    EXPECT_FALSE(monitor.window.Timer1->isActive());
    EXPECT_EQ(monitor.status.last(), "Bconsola: OK PUERTO 1") << "no port tried after the close";
}

TEST(ReconnectDeathTest, ExitDuringARediscoveryEndsTheProcess)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            BoardSimulator silent(silentDevice());
            Monitor monitor({}, kPortWait);
            actDuringARediscovery(monitor, silent, [&] { monitor.window.Exit->click(); });
            runFor(kFindAgain);
            std::abort();
        },
        ::testing::ExitedWithCode(0), "");
}
