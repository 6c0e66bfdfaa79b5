#include "support/fakeserial.h"
#include "support/qtprinters.h"
#include "window/ventana.h"

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

TEST(Lifecycle, ClosingWithNoPortOpenJustCloses)
{
    ventana window(std::make_unique<FakeSerial>(), 1ms);
    window.show();
    EXPECT_TRUE(window.close());
    EXPECT_TRUE(window.isUnloaded());
}

