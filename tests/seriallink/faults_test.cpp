#include "seriallink/serialportcontrol.h"
#include "support/eventloop.h"
#include "support/qtprinters.h"
#include "tools/boardsim.h"
#include "window/ventana.h"

#include <QElapsedTimer>
#include <QEvent>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <algorithm>

using namespace std::chrono_literals;
using namespace Qt::StringLiterals;

// Misbehaving boards on pseudo-terminals against the whole program. Whatever
// the fault, the program must keep running, Timer1 must keep ticking on time
// and memory must stay flat.

namespace {

// Far beyond the 200 ms poll interval, far below a stall anyone would notice.
constexpr qint64 kWorstTickGapMs = 300;
constexpr double kMemoryGrowthMb = 8;

// AddressSanitizer keeps freed memory in quarantine, hundreds of megabytes
// of it, so resident memory says nothing about leaks in such a build.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kMemoryIsMeasurable = false;
#else
constexpr bool kMemoryIsMeasurable = true;
#endif

// The monitor on the real serial layer over a COM map of pseudo-terminals,
// with Timer1's ticks timed.
struct Rig {
    explicit Rig(const QStringList &devices, std::chrono::milliseconds wait = 300ms)
        : window(std::make_unique<SerialPortControl>(ComPortMap(devices)), wait)
    {
        sinceTick.start();
        QObject::connect(window.Timer1, &QTimer::timeout, window.Timer1, [this] {
            worstTickGapMs = std::max(worstTickGapMs, sinceTick.restart());
            ++ticks;
        });
    }

    void markMemory() { memoryMark = residentMegabytes(); }

    // Timer1 ticked on time throughout and still ticks; memory grew little
    // since markMemory(), if it was called.
    void expectHealthy()
    {
        const int before = ticks;
        runFor(500ms);
        EXPECT_GE(ticks - before, 2) << "Timer1 stopped";
        EXPECT_LT(worstTickGapMs, kWorstTickGapMs);
        if (kMemoryIsMeasurable && memoryMark >= 0) {
            EXPECT_LT(residentMegabytes() - memoryMark, kMemoryGrowthMb);
        }
    }

    ventana window;
    QElapsedTimer sinceTick;
    qint64 worstTickGapMs = 0;
    int ticks = 0;
    double memoryMark = -1;
};

BoardOptions silentBoard()
{
    BoardOptions options;
    options.noKeyword = true;
    options.noAnswer = true;
    return options;
}

// Sends as fast as the pty takes, starting once a 300 ms discovery wait is over.
BoardOptions floodingBoard()
{
    BoardOptions options;
    options.reportsPerSecond = 1e9;
    options.reportsDelayMs = 400;
    return options;
}

// After a hang-up the port is closed, the failing requests are shown, and
// the idle program costs next to no CPU.
void expectQuietAfterHangUp(Rig &rig)
{
    ASSERT_TRUE(runUntil([&] { return rig.window.Bconsola->text() == "Error COM 1"; }));
    EXPECT_FALSE(rig.window.MSComm1->PortOpen());
    const double cpuBefore = cpuSeconds();
    runFor(1s);
    EXPECT_LT(cpuSeconds() - cpuBefore, 0.2) << "a port that went away must not make the loop spin";
    rig.expectHealthy();
}

// Counts the paint events a widget receives and times the longest pause.
class PaintWatch : public QObject {
public:
    explicit PaintWatch(QWidget *widget)
    {
        widget->installEventFilter(this);
        sincePaint.start();
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            worstGapMs = std::max(worstGapMs, sincePaint.restart());
            ++paints;
        }
        return false;
    }

    QElapsedTimer sincePaint;
    qint64 worstGapMs = 0;
    int paints = 0;
};

} // namespace

TEST(Faults, EveryByteValueInAndAroundTagLinesLeavesTheWindowSane)
{
    BoardOptions options;
    options.noAnswer = true;
    options.reportsPerSecond = 20;
    options.reportsDelayMs = 1500;
    BoardSimulator board(options);
    board.setValues(100, 200, 300, 400, false, true);
    Rig rig({board.slavePath()});
    ventana &w = rig.window;
    w.Form_Load();
    ASSERT_EQ(w.portok, 1);

    QByteArray everyByte;
    for (int value = 0; value < 256; ++value)
        everyByte += char(value);
    board.sendRaw(everyByte + "\n");
    board.sendRaw("A0 5\xE9\xFF\nA1 \x80\x81\x9F\nA2\xFF 7\nA3 -99999\x00\xFF\nA4 0\nA4 0\xFF\n"_ba);
    board.sendRaw("A5 \xFF\x00\x01\x1E\x7F\xA0\n"_ba);
    ASSERT_TRUE(runUntil([&] { return w.iA3 == -32768; }, 1s));
    runFor(100ms);

    EXPECT_EQ(w.vA0->text(), QString::fromLatin1("5\xE9\xFF"));
    EXPECT_EQ(w.iA0, 5);
    EXPECT_EQ(w.vA1->text(), QString::fromLatin1("\x80\x81\x9F"));
    EXPECT_EQ(w.iA1, 0);
    EXPECT_EQ(w.vA2->text(), "Text1") << "\"A2\\xFF\" is no tag";
    EXPECT_EQ(w.iA3, -32768);
    EXPECT_FALSE(w.vA4->isChecked());
    EXPECT_FALSE(w.vA5->isChecked());
    EXPECT_TRUE(w.linea.isEmpty());

    ASSERT_TRUE(runUntil([&] { return w.vA5->isChecked(); }, 3s)) << "reports after the junk";
    EXPECT_EQ(QStringList({w.vA0->text(), w.vA1->text(), w.vA2->text(), w.vA3->text()}),
              QStringList({"100", "200", "300", "400"}));
    EXPECT_EQ(w.iA0, 100);
    EXPECT_EQ(w.iA3, 400);
    EXPECT_FALSE(w.vA4->isChecked());
    rig.expectHealthy();
}

TEST(Faults, AMegabyteWithoutALineFeedIsDroppedAndReportsResume)
{
    BoardSimulator board;
    board.setValues(100, 200, 300, 400, false, true);
    Rig rig({board.slavePath()});
    ventana &w = rig.window;
    w.Form_Load();
    ASSERT_TRUE(runUntil([&] { return w.vA0->text() == "100"; }));

    qsizetype longestLine = 0;
    QObject::connect(w.MSComm1, &SerialControl::OnComm, &w,
                     [&] { longestLine = std::max(longestLine, w.linea.size()); });
    QStringList shownA0;
    QObject::connect(w.vA0, &QLineEdit::textChanged, &w, [&](const QString &text) { shownA0 += text; });
    board.setValues(101, 201, 301, 401, false, true);
    rig.markMemory();
    // Every byte value but the line feed, after the start of a tag line.
    QByteArray megabyte = "A0 666 ";
    while (megabyte.size() < 1 << 20) {
        const char byte = char(megabyte.size() % 256);
        megabyte += byte == '\n' ? ' ' : byte;
    }
    board.sendRaw(megabyte);
    megabyte.clear();

    ASSERT_TRUE(runUntil([&] { return w.vA0->text() == "101"; }, 20s)) << "reports after the megabyte";
    EXPECT_EQ(QStringList({w.vA1->text(), w.vA2->text(), w.vA3->text()}), QStringList({"201", "301", "401"}));
    EXPECT_EQ(shownA0, QStringList({"101"})) << "the cut-off line must not be interpreted";
    EXPECT_LE(longestLine, 4096);
    EXPECT_GT(longestLine, 4000) << "the megabyte went through the line assembly";
    rig.expectHealthy();
}

// The test moves the sticks in steps; each step k sends A0 = k, A1 = 200 + k,
// A2 = 400 + k, A3 = 600 + k, the right button pressed on odd steps and the
// left one on even steps. Every complete report shown must fit that pattern.
TEST(Faults, AFloodOfReportsForTenSecondsNeitherStallsNorMisreads)
{
    BoardSimulator board(floodingBoard());
    int step = 0;
    const auto setStep = [&] {
        board.setValues(step, 200 + step, 400 + step, 600 + step, step % 2 == 1, step % 2 == 0);
    };
    setStep();
    QTimer stepper;
    QObject::connect(&stepper, &QTimer::timeout, &board, [&] {
        step = (step + 1) % 100;
        setStep();
    });
    stepper.start(100ms);

    Rig rig({board.slavePath()});
    ventana &w = rig.window;
    w.Form_Load();
    ASSERT_EQ(w.portok, 1);
    const int requestsBefore = board.requestCount();

    int misreads = 0;
    QStringList firstMisreads;
    const auto misread = [&](const QString &what) {
        if (++misreads <= 10)
            firstMisreads += what;
    };
    const QRegularExpression decimal("^[0-9]+$");
    const std::array<QLineEdit *, 4> boxes{w.vA0, w.vA1, w.vA2, w.vA3};
    for (int axis = 0; axis < 4; ++axis)
        QObject::connect(boxes[axis], &QLineEdit::textChanged, &w, [&, axis](const QString &text) {
            const int offset = text.toInt() - 200 * axis;
            if (!decimal.match(text).hasMatch() || offset < 0 || offset >= 100)
                misread(QStringLiteral("A%1 %2").arg(axis).arg(text));
        });
    int reports = 0;
    QString lastLine;
    QObject::connect(w.MSComm1, &SerialControl::OnComm, &w, [&] {
        if (w.linea.isEmpty() && lastLine.startsWith("A5 ")) {
            ++reports;
            const bool odd = w.iA0 % 2 == 1;
            if (w.iA1 != w.iA0 + 200 || w.iA2 != w.iA0 + 400 || w.iA3 != w.iA0 + 600
                || w.vA4->isChecked() != odd || w.vA5->isChecked() == odd)
                misread(QStringLiteral("report %1 %2 %3 %4").arg(w.iA0).arg(w.iA1).arg(w.iA2).arg(w.iA3));
        }
        lastLine = w.linea;
    });

    runFor(1s);
    rig.markMemory();
    PaintWatch painting(w.Picture1);
    const int reportsBefore = reports;
    runFor(9s);

    EXPECT_EQ(misreads, 0) << firstMisreads.join(", ").toStdString();
    EXPECT_GT(reports - reportsBefore, 9 * 100) << "the flood did not get through";
    EXPECT_GE(painting.paints, 9 * 3);
    EXPECT_LT(painting.worstGapMs, 500);
    EXPECT_GE(board.requestCount() - requestsBefore, 10 * 4) << "polling goes on during the flood";
    rig.expectHealthy();
}

TEST(Faults, HangUpDuringDiscoveryMovesOnAndTheBoardOnALaterPortIsFound)
{
    BoardSimulator vanishing(silentBoard());
    BoardSimulator board;
    Rig rig({vanishing.slavePath(), board.slavePath()}, 1400ms);
    ventana &w = rig.window;
    QTimer::singleShot(100ms, &vanishing, &BoardSimulator::hangUp);
    bool openAfterHangUp = true;
    double cpuAfterHangUp = 0;
    QTimer::singleShot(300ms, &w, [&] {
        openAfterHangUp = w.MSComm1->PortOpen();
        cpuAfterHangUp = cpuSeconds();
    });
    QTimer::singleShot(1300ms, &w, [&] { cpuAfterHangUp = cpuSeconds() - cpuAfterHangUp; });
    w.Form_Load();

    EXPECT_FALSE(openAfterHangUp);
    EXPECT_LT(cpuAfterHangUp, 0.2) << "waiting on a port that went away must not spin";
    EXPECT_EQ(w.puerto, 2);
    EXPECT_EQ(w.portok, 1);
    EXPECT_TRUE(runUntil([&] { return board.requestCount() >= 2; }));
    rig.expectHealthy();
}

TEST(Faults, HangUpWhilePollingOrDuringABurstLeavesTheProgramIdle)
{
    for (const BoardOptions &options : {BoardOptions{}, floodingBoard()}) {
        SCOPED_TRACE(options.reportsPerSecond > 0 ? "during a burst" : "while polling");
        BoardSimulator board(options);
        Rig rig({board.slavePath()});
        rig.window.Form_Load();
        ASSERT_TRUE(runUntil([&] { return board.requestCount() >= 3; }));
        runFor(500ms);
        rig.markMemory();
        board.hangUp();
        expectQuietAfterHangUp(rig);
    }
}

TEST(Faults, ABoardThatNeverAnswersIsStillPolledAtEveryTick)
{
    BoardOptions mute;
    mute.noAnswer = true;
    BoardSimulator board(mute);
    Rig rig({board.slavePath()});
    rig.window.Form_Load();
    ASSERT_EQ(rig.window.portok, 1);
    runFor(100ms);

    const int ticksBefore = rig.ticks;
    const int requestsBefore = board.requestCount();
    runFor(2s);
    runFor(50ms); // lets the last request reach the board
    EXPECT_GE(rig.ticks - ticksBefore, 9);
    EXPECT_NEAR(board.requestCount() - requestsBefore, rig.ticks - ticksBefore, 1);
    rig.expectHealthy();
}

TEST(Faults, ABoardAnnouncingInTheSecondHalfOfItsWaitIsFoundOnItsPort)
{
    BoardOptions late;
    late.announceDelayMs = 600;
    BoardSimulator board(late);
    BoardSimulator next;
    Rig rig({board.slavePath(), next.slavePath()}, 1000ms);
    rig.window.Form_Load();

    EXPECT_EQ(rig.window.puerto, 1);
    EXPECT_EQ(rig.window.portok, 1);
    EXPECT_TRUE(runUntil([&] { return board.requestCount() >= 2; }));
    EXPECT_EQ(next.requestCount(), 0);
    rig.expectHealthy();
}

TEST(Faults, GarbageBeforeTheKeywordOnTheRightPortOrAWrongOneStillFindsTheBoard)
{
    {
        SCOPED_TRACE("garbage before every line of the board");
        BoardOptions noisy;
        noisy.garbage = true;
        BoardSimulator board(noisy);
        BoardSimulator next;
        Rig rig({board.slavePath(), next.slavePath()});
        rig.window.Form_Load();
        EXPECT_EQ(rig.window.puerto, 1);
        EXPECT_EQ(rig.window.portok, 1);
        rig.expectHealthy();
    }
    {
        SCOPED_TRACE("a partial garbage line on the port before the board's");
        BoardSimulator wrong(silentBoard());
        wrong.sendRaw("\xE9\x01\xFF A0 12\r\x80JOY"_ba);
        BoardSimulator board;
        Rig rig({wrong.slavePath(), board.slavePath()});
        QString leftOver;
        QObject::connect(rig.window.Info, &QLineEdit::textChanged, &rig.window, [&](const QString &text) {
            if (text.endsWith("COM 2"))
                leftOver = rig.window.linea;
        });
        rig.window.Form_Load();
        EXPECT_EQ(leftOver, QString::fromLatin1("\xE9\xFF A0 12\x80JOY")) << "linea is kept from port to port";
        EXPECT_EQ(rig.window.puerto, 2);
        EXPECT_EQ(rig.window.portok, 1);
        rig.expectHealthy();
    }
    {
        SCOPED_TRACE("an over-long partial line on the port before that of a board announcing once");
        BoardSimulator wrong(silentBoard());
        wrong.sendRaw(QByteArray(6000, 'x'));
        BoardOptions once;
        once.announceIntervalMs = 1'000'000;
        BoardSimulator board(once);
        Rig rig({wrong.slavePath(), board.slavePath()});
        rig.window.Form_Load();
        EXPECT_EQ(rig.window.puerto, 2);
        EXPECT_EQ(rig.window.portok, 1);
        rig.expectHealthy();
    }
}

namespace {

// Moments at which the user may close the window or press Exit.
struct Stage {
    const char *name;
    BoardOptions options;
    std::chrono::milliseconds portWait;
    std::chrono::milliseconds actAt;
    uint8_t portok;
};

const std::array<Stage, 4> kStages{{
    {"discovery wait", silentBoard(), 10s, 200ms, 0},
    {"identified in the middle of the discovery wait", BoardOptions{}, 10s, 300ms, 1},
    {"polling", BoardOptions{}, 300ms, 800ms, 1},
    {"flood", floodingBoard(), 300ms, 1200ms, 1},
}};

} // namespace

TEST(Faults, ClosingTheWindowAtEveryStageEndsDiscoveryAndClosesThePort)
{
    for (const Stage &stage : kStages) {
        SCOPED_TRACE(stage.name);
        BoardSimulator board(stage.options);
        Rig rig({board.slavePath()}, stage.portWait);
        ventana &w = rig.window;
        bool closed = false;
        int portokAtClose = -1;
        QTimer::singleShot(stage.actAt, &w, [&] {
            portokAtClose = w.portok;
            closed = w.close();
        });
        QElapsedTimer clock;
        clock.start();
        w.Form_Load();

        EXPECT_LT(clock.elapsed(), 2000) << "Form_Load must return promptly";
        ASSERT_TRUE(runUntil([&] { return closed; }));
        EXPECT_EQ(portokAtClose, stage.portok);
        EXPECT_TRUE(w.isUnloaded());
        EXPECT_FALSE(w.MSComm1->PortOpen());
        rig.expectHealthy();
    }
}

TEST(FaultsDeathTest, ExitAtEveryStageEndsTheProcessWithStatusZero)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    for (const Stage &stage : kStages) {
        SCOPED_TRACE(stage.name);
        EXPECT_EXIT(
            {
                BoardSimulator board(stage.options);
                ventana window(std::make_unique<SerialPortControl>(ComPortMap({board.slavePath()})),
                               stage.portWait);
                QTimer::singleShot(stage.actAt, window.Exit, &QPushButton::click);
                window.Form_Load();
                runFor(5s);
                std::abort();
            },
            ::testing::ExitedWithCode(0), "");
    }
}
