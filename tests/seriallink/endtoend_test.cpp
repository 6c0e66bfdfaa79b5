#include "support/eventloop.h"
#include "support/monitor.h"
#include "support/qtprinters.h"
#include "tools/boardsim.h"

#include <QElapsedTimer>

#include <gtest/gtest.h>

#include <algorithm>

using namespace std::chrono_literals;

TEST(EndToEnd, BoardOnPortOneStopsDiscoveryAfterTheFirstWait)
{
    BoardSimulator board;
    BoardSimulator other;
    Monitor monitor({board.slavePath(), other.slavePath()});
    QElapsedTimer clock;
    clock.start();
    monitor.window.Form_Load();

    EXPECT_LT(clock.elapsed(), 2000);
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

// Requests are not paced by answers: a board that never answers is still
// asked five times a second, and only once it has announced itself.
TEST(EndToEnd, PollsFiveTimesASecondOnlyOnceFoundWhetherAnsweredOrNot)
{
    BoardOptions mute;
    mute.announceDelayMs = 300;
    mute.noAnswer = true;
    BoardSimulator board(mute);
    Monitor monitor({board.slavePath()}, 600ms);
    int requestsBeforeFound = 0;
    QObject::connect(&board, &BoardSimulator::requestReceived, &board,
                     [&] { requestsBeforeFound += monitor.window.portok == 1 ? 0 : 1; });
    monitor.window.Form_Load();
    const int requestsAtLoad = board.requestCount();
    runFor(3s);

    EXPECT_EQ(requestsBeforeFound, 0);
    const QList<qint64> times = board.requestTimesMs();
    ASSERT_FALSE(times.isEmpty());
    EXPECT_GE(times.first(), 300) << "no request before the board announced itself";
    const int requests = board.requestCount() - requestsAtLoad;
    EXPECT_GE(requests, 8) << "about 15 requests in 3 s";
    EXPECT_LE(requests, 16);
    qint64 longestGap = 0;
    for (qsizetype i = 1; i < times.size(); ++i)
        longestGap = std::max(longestGap, times[i] - times[i - 1]);
    EXPECT_LT(longestGap, 1000);
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
