#include "seriallink/serialportcontrol.h"
#include "support/eventloop.h"
#include "support/qtprinters.h"
#include "tools/boardsim.h"
#include "window/ventana.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

constexpr auto kPortWait = 400ms;

// The monitor with the real serial layer over a COM map of
// pseudo-terminals, recording every status text it shows.
struct Monitor {
    explicit Monitor(const QStringList &devices, std::chrono::milliseconds wait = kPortWait)
        : window(std::make_unique<SerialPortControl>(ComPortMap(devices)), wait)
    {
        QObject::connect(window.Info, &QLineEdit::textChanged, window.Info,
                         [this](const QString &text) { status.append("Info: " + text); });
        QObject::connect(window.Bconsola, &QLineEdit::textChanged, window.Bconsola,
                         [this](const QString &text) { status.append("Bconsola: " + text); });
    }

    ventana window;
    QStringList status;
};

} // namespace

TEST(EndToEnd, BoardOnPortOneStopsDiscoveryAfterTheFirstWait)
{
    BoardSimulator board;
    BoardSimulator other;
    Monitor monitor({board.slavePath(), other.slavePath()});
    QElapsedTimer clock;
    clock.start();
    monitor.window.Form_Load();

    EXPECT_LT(clock.elapsed(), 2 * kPortWait.count());
    EXPECT_EQ(monitor.window.portok, 1);
    EXPECT_EQ(monitor.window.puerto, 1);
    EXPECT_EQ(monitor.status, QStringList({"Info: Conectado a COM 1", "Bconsola: OK PUERTO 1"}));
    EXPECT_TRUE(monitor.window.MSComm1->PortOpen());
}

TEST(EndToEnd, BoardOnPortFourAfterTwoAbsentPortsAndASilentOne)
{
    BoardOptions silent;
    silent.noKeyword = true;
    silent.noAnswer = true;
    BoardSimulator port3(silent);
    BoardSimulator board;
    Monitor monitor({"", "", port3.slavePath(), board.slavePath(), "", "", ""});
    monitor.window.Form_Load();

    EXPECT_EQ(monitor.status, QStringList({"Bconsola: Error COM 1", "Bconsola: Error COM 2",
                                           "Info: Conectado a COM 3", "Bconsola: OK PUERTO 3",
                                           "Info: Conectado a COM 4", "Bconsola: OK PUERTO 4"}));
    EXPECT_EQ(monitor.window.portok, 1);
    EXPECT_EQ(port3.requestCount(), 0);
}

TEST(EndToEnd, NoPortsAtAllGivesSevenFailures)
{
    Monitor monitor({}, 20ms);
    monitor.window.Form_Load();
    EXPECT_EQ(monitor.status.size(), 7);
    EXPECT_EQ(monitor.status.last(), "Bconsola: Error COM 7");
    EXPECT_EQ(monitor.window.Info->text(), "Grabador no encontrado");
    EXPECT_EQ(monitor.window.portok, 0);
}

TEST(EndToEnd, PollsEveryTwoHundredMillisecondsOnlyOnceFound)
{
    BoardOptions late;
    late.announceDelayMs = 300;
    BoardSimulator board(late);
    Monitor monitor({board.slavePath()}, 600ms);
    int requestsBeforeFound = -1;
    QObject::connect(&board, &BoardSimulator::requestReceived, &board, [&] {
        if (requestsBeforeFound < 0)
            requestsBeforeFound = monitor.window.portok == 1 ? 0 : 1;
    });
    monitor.window.Form_Load();
    runFor(1200ms);

    EXPECT_EQ(requestsBeforeFound, 0);
    const QList<qint64> times = board.requestTimesMs();
    ASSERT_GE(times.size(), 6);
    EXPECT_GE(times.first(), 300) << "no request before the board announced itself";
    for (qsizetype i = 1; i < times.size(); ++i) {
        EXPECT_GE(times[i] - times[i - 1], 150) << "request " << i;
        EXPECT_LE(times[i] - times[i - 1], 250) << "request " << i;
    }
}

TEST(EndToEnd, ReportedValuesReachTheBoxesTheFieldsAndThePictures)
{
    BoardSimulator board;
    board.setValues(512, 256, 96, 1008, true, false);
    Monitor monitor({board.slavePath()});
    monitor.window.Form_Load();
    ASSERT_TRUE(runUntil([&] { return monitor.window.vA3->text() == "1008"; }));
    runFor(300ms);

    ventana &w = monitor.window;
    EXPECT_EQ(w.vA0->text(), "512");
    EXPECT_EQ(w.vA1->text(), "256");
    EXPECT_EQ(w.vA2->text(), "96");
    EXPECT_EQ(w.iA1, 256);
    EXPECT_EQ(w.iA3, 1008);
    EXPECT_TRUE(w.vA4->isChecked());
    EXPECT_FALSE(w.vA5->isChecked());

    const QImage left = w.Picture1->drawing();
    const QImage right = w.Picture2->drawing();
    EXPECT_EQ(left.pixelColor(40, 16), QColor(Qt::red));
    EXPECT_EQ(left.pixelColor(32, 16), left.pixelColor(0, 63)) << "outline only";
    EXPECT_EQ(right.pixelColor(14, 63), QColor(Qt::blue));
}

