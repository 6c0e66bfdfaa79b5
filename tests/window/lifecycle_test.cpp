#include "seriallink/serialportcontrol.h"
#include "support/fakeserial.h"
#include "support/pty.h"
#include "window/ventana.h"

#include <QElapsedTimer>
#include <QTimer>

#include "support/qtprinters.h"

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

TEST(Lifecycle, ClosingDuringDiscoveryClosesThePortAndEndsItAtOnce)
{
    Pty device;
    ventana window(std::make_unique<SerialPortControl>(ComPortMap(QStringList{device.slavePath()})), 10s);
    bool portWasOpen = false;
    QTimer::singleShot(200ms, &window, [&] {
        portWasOpen = window.MSComm1->PortOpen();
        window.close();
    });

    QElapsedTimer clock;
    clock.start();
    window.Form_Load();

    EXPECT_LT(clock.elapsed(), 2000);
    EXPECT_TRUE(portWasOpen);
    EXPECT_TRUE(window.isUnloaded());
    EXPECT_FALSE(window.MSComm1->PortOpen());
    EXPECT_EQ(window.puerto, 1) << "no further port may be opened after the window closed";
}

TEST(Lifecycle, ClosingWithNoPortOpenJustCloses)
{
    ventana window(std::make_unique<FakeSerial>(), 1ms);
    window.show();
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(window.isUnloaded());
}

TEST(LifecycleDeathTest, ExitEndsTheProcessAtOnceWithStatusZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            ventana window(std::make_unique<FakeSerial>(), 10s);
            QTimer::singleShot(50ms, window.Exit, &QPushButton::click);
            window.Form_Load();
            std::abort();
        },
        ::testing::ExitedWithCode(0), "");
}
