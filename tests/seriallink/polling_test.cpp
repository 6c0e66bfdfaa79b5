#include "support/fakeserial.h"
#include "support/qtprinters.h"
#include "window/ventana.h"

#include <gtest/gtest.h>

namespace {

// A window whose port is open, as after discovery found the board.
struct Polling : ::testing::Test {
    FakeSerial *port = new FakeSerial;
    ventana window{std::unique_ptr<SerialControl>(port)};

    Polling()
    {
        window.CLAVE = "JOYSTICK";
        port->setRThreshold(1);
        port->setInputLen(1);
        port->setPortOpen(true);
    }
};

} // namespace

TEST_F(Polling, AssemblesCharactersIntoOneLineDroppingTheCarriageReturn)
{
    int shown = 0;
    QObject::connect(window.vA0, &QLineEdit::textChanged, window.vA0, [&] { ++shown; });
    for (char c : QByteArray("A0 5\r"))
        port->receive(QByteArray(1, c));
    EXPECT_EQ(window.linea, "A0 5");
    EXPECT_EQ(shown, 0);

    port->receive("\n");
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(window.vA0->text(), "5");
    EXPECT_TRUE(window.linea.isEmpty());
}

TEST_F(Polling, KeepsCharactersFromCode31UpAndDropsTheOtherControlCharacters)
{
    port->receive(QByteArray("\x1F\x1E\t\x00\x7F\xE9 ", 7));
    EXPECT_EQ(window.linea, QString::fromLatin1("\x1F\x7F\xE9 "));
    port->receive("\n\n");
    EXPECT_TRUE(window.linea.isEmpty());
}

TEST_F(Polling, DropsALineThatOutgrowsTheLimitUpToItsLineFeed)
{
    port->receive("A0 " + QByteArray(5000, '1'));
    EXPECT_LE(window.linea.size(), 4096);
    port->receive("JOYSTICK\n");
    EXPECT_EQ(window.vA0->text(), "Text1") << "a cut-off line must not be interpreted";
    EXPECT_EQ(window.portok, 0);

    port->receive("A0 7\n");
    EXPECT_EQ(window.vA0->text(), "7");

    const QByteArray longest = "A1 " + QByteArray(4093, '2');
    port->receive(longest + "\n");
    EXPECT_EQ(window.vA1->text(), QString::fromLatin1(longest.mid(3)));
    port->receive("A1 " + QByteArray(4094, '3') + "\n");
    EXPECT_EQ(window.vA1->text(), QString::fromLatin1(longest.mid(3))) << "one character over the limit";
}

TEST_F(Polling, TheTimerSleepsUntilTheBoardIsIdentified)
{
    window.bResultado->setText("old");
    window.Timer1_Timer();
    EXPECT_TRUE(port->written.isEmpty());
    EXPECT_TRUE(window.bResultado->text().isEmpty());
    EXPECT_FALSE(window.Timer1->isActive());

    port->receive("xx JOYSTICK xx\n");
    EXPECT_TRUE(window.Timer1->isActive());
    EXPECT_EQ(window.Timer1->interval(), 200);
    window.Timer1_Timer();
    window.Timer1_Timer();
    EXPECT_EQ(port->written, "DATA\nDATA\n");
}

TEST_F(Polling, ARequestThatCannotBeWrittenLosesTheBoard)
{
    window.puerto = 5;
    port->receive("JOYSTICK\n");
    port->setPortOpen(false);
    window.Timer1_Timer();

    EXPECT_EQ(window.Bconsola->text(), "Error COM 5");
    EXPECT_EQ(window.portok, 0);
    EXPECT_FALSE(window.Timer1->isActive()) << "nothing more is written into a port that is gone";
    window.Command1_Click();
    EXPECT_EQ(window.portok, 0);
}

TEST_F(Polling, TestButtonSendsARequestWhateverTheStateAndDrawsTheTestLine)
{
    window.Picture1->Circle(512, 512, 128, 0xFF0000);
    window.bResultado->setText("old");
    window.Command1_Click();

    EXPECT_EQ(port->written, "DATA\n");
    EXPECT_TRUE(window.bResultado->text().isEmpty());
    const QImage drawing = window.Picture1->drawing();
    EXPECT_EQ(drawing.pixelColor(1, 1), QColor(Qt::red));
    EXPECT_EQ(drawing.pixelColor(2, 2), QColor(Qt::red));
    EXPECT_NE(drawing.pixelColor(40, 32), QColor(Qt::blue)) << "the picture is cleared first";
}
