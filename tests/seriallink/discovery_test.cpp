#include "seriallink/discovery.h"
#include "support/fakeserial.h"
#include "support/qtprinters.h"
#include "window/ventana.h"

#include <QElapsedTimer>
#include <QTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr auto kShortWait = 60ms;

struct FakeDiscovery : ::testing::Test {
    FakeSerial *port = new FakeSerial;
    ventana window{std::unique_ptr<SerialControl>(port), kShortWait};
    QStringList status;

    FakeDiscovery()
    {
        QObject::connect(window.Info, &QLineEdit::textChanged, window.Info,
                         [this](const QString &text) { status.append("Info: " + text); });
        QObject::connect(window.Bconsola, &QLineEdit::textChanged, window.Bconsola,
                         [this](const QString &text) { status.append("Bconsola: " + text); });
    }

    // Marks the board as identified while `boardPort` is the open port.
    void boardOn(int boardPort)
    {
        auto *watch = new QTimer(&window);
        QObject::connect(watch, &QTimer::timeout, &window, [this, boardPort] {
            if (port->PortOpen() && port->commPort() == boardPort)
                window.portok = 1;
        });
        watch->start(5);
    }
};

} // namespace

TEST(PortMessage, AppendsThePortAfterASignPosition)
{
    EXPECT_EQ(discovery::portMessage(discovery::kConnectedPrefix, 3), "Conectado a COM 3");
    EXPECT_EQ(discovery::portMessage(discovery::kConnectedPrefix, 3).size(), 17);
    EXPECT_EQ(discovery::portMessage(discovery::kSuccessPrefix, 12), "OK PUERTO 12");
    EXPECT_EQ(discovery::portMessage(discovery::kFailurePrefix, -2), "Error COM-2");
}

TEST_F(FakeDiscovery, ConfiguresEachPortInOrderAndStopsAfterTheWaitOnTheBoardsPort)
{
    port->absentPorts = {1, 2};
    boardOn(4);
    window.Form_Load();

    EXPECT_EQ(window.puerto, 4);
    EXPECT_TRUE(port->PortOpen());
    EXPECT_EQ(port->commPort(), 4);
    EXPECT_EQ(status, QStringList({"Bconsola: Error COM 1", "Bconsola: Error COM 2", "Info: Conectado a COM 3",
                                   "Bconsola: OK PUERTO 3", "Info: Conectado a COM 4", "Bconsola: OK PUERTO 4"}));
    const QStringList openPort3{"CommPort=3", "Settings=9600,n,8,1", "SThreshold=1", "RThreshold=1",
                                "PortOpen=true", "InputMode=0", "InputLen=1"};
    const qsizetype at = port->calls.indexOf("CommPort=3");
    ASSERT_GE(at, 0);
    EXPECT_EQ(port->calls.mid(at, openPort3.size()), openPort3);
    EXPECT_EQ(port->calls.at(at + openPort3.size()), "PortOpen=false");
    EXPECT_FALSE(port->calls.contains("CommPort=5"));
}

TEST_F(FakeDiscovery, AFailedOpenSkipsTheRestOfTheSetupAndLeavesInfoAlone)
{
    port->absentPorts = {1, 2, 3, 4, 5, 6, 7};
    window.Form_Load();

    EXPECT_EQ(window.Info->text(), "Grabador no encontrado");
    EXPECT_EQ(window.Bconsola->text(), "Error COM 7");
    EXPECT_EQ(window.portok, 0);
    EXPECT_FALSE(port->calls.contains("InputMode=0"));
    EXPECT_EQ(port->calls.count("PortOpen=true"), 7);
}

TEST_F(FakeDiscovery, WaitsTheWholeIntervalEvenAfterTheBoardIsFound)
{
    boardOn(1);
    QElapsedTimer clock;
    clock.start();
    window.Form_Load();
    EXPECT_GE(clock.elapsed(), kShortWait.count());
    EXPECT_EQ(window.puerto, 1);
    EXPECT_FALSE(port->calls.contains("CommPort=2"));
}

TEST_F(FakeDiscovery, PortSevenStaysOpenWhenNoBoardAnswers)
{
    window.Form_Load();
    EXPECT_EQ(window.puerto, 7);
    EXPECT_TRUE(port->PortOpen());
    EXPECT_EQ(window.Info->text(), "Conectado a COM 7");
}

TEST(Wait, LastsItsTimeWhileHandlingEvents)
{
    ventana window(std::make_unique<FakeSerial>(), kShortWait);
    int ticks = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] { ++ticks; });
    ticker.start(20);

    QElapsedTimer clock;
    clock.start();
    window.EsperaMiliseg(300);

    EXPECT_GE(clock.elapsed(), 300);
    EXPECT_GE(ticks, 10);
}

TEST(Wait, ZeroNegativeAndNotANumberReturnAtOnce)
{
    ventana window(std::make_unique<FakeSerial>(), kShortWait);
    QElapsedTimer clock;
    clock.start();
    window.EsperaMiliseg(0);
    window.EsperaMiliseg(-5);
    window.EsperaMiliseg(std::nan(""));
    EXPECT_LT(clock.elapsed(), 50);
}

