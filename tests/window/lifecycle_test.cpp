#include "session/boardlines.h"
#include "tests/support/fakelink.h"
#include "tests/support/fakeserial.h"
#include "tests/support/monitor.h"
#include "window/ventana.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(Lifecycle, LoadShowsTheWindowAndStartsOneSearchClosingItClosesTheLinkOnce)
{
    FakeLink link;
    BoardLines lines{link};
    ventana window(link, lines);
    window.Form_Load();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(link.searches, 1);
    EXPECT_TRUE(window.close());
    EXPECT_EQ(link.closes, 1);
}

// The search waits on its port without holding up the event loop: a
// request to quit is served at once, not after the port wait.
TEST(Lifecycle, AQuitWhileLoadingEndsPromptly)
{
    LinkTiming timing = testTiming();
    timing.portWait = 60s;
    auto port = std::make_unique<FakeSerial>();
    const FakeSerial &serial = *port;
    Monitor monitor({"/dev/ttyACM0"}, timing, std::move(port));
    monitor.program.start();
    ASSERT_TRUE(serial.PortOpen()) << "the search waits on its first port";
    QTimer::singleShot(200ms, QCoreApplication::instance(), &QCoreApplication::quit);
    QElapsedTimer clock;
    clock.start();
    QCoreApplication::exec();

    EXPECT_LT(clock.elapsed(), 30'000) << "the quit waited for the port wait";
    EXPECT_TRUE(monitor.window.close());
    EXPECT_EQ(monitor.link.state(), LinkState::Closed);
    EXPECT_FALSE(serial.PortOpen());
}
