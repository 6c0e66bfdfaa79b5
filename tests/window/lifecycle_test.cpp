#include "support/fakeserial.h"
#include "support/qtprinters.h"
#include "window/ventana.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(Lifecycle, LoadShowsTheWindowAndResetsTheState)
{
    ventana window(std::make_unique<FakeSerial>(), 1ms);
    window.portok = 1;
    window.Form_Load();
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(window.CLAVE, "JOYSTICK");
    EXPECT_EQ(window.portok, 0);
}

TEST(Lifecycle, ClosingPutsTheTimerToSleepAndClosesThePort)
{
    auto *port = new FakeSerial;
    ventana window(std::unique_ptr<SerialControl>(port), 1ms);
    window.show();
    EXPECT_TRUE(window.close()) << "closing with no port open";

    window.show();
    port->setPortOpen(true);
    window.analizarIN("JOYSTICK");
    ASSERT_TRUE(window.Timer1->isActive());
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(window.isUnloaded());
    EXPECT_FALSE(window.Timer1->isActive());
    EXPECT_FALSE(port->PortOpen());
}

// Loaded from the event loop, as the program does it, a request to quit
// ends discovery at once instead of after its seven waits.
TEST(Lifecycle, AQuitDuringDiscoveryEndsItAtOnce)
{
    auto *port = new FakeSerial;
    ventana window(std::unique_ptr<SerialControl>(port), 10s);
    QTimer::singleShot(0, &window, &ventana::Form_Load);
    QTimer::singleShot(200ms, QCoreApplication::instance(), &QCoreApplication::quit);
    QElapsedTimer clock;
    clock.start();
    QCoreApplication::exec();

    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(window.isUnloaded());
    EXPECT_FALSE(port->PortOpen());
    EXPECT_FALSE(port->calls.contains("CommPort=2"));
}
