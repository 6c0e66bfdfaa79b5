#include "support/eventloop.h"
#include "window/framepacer.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QScreen>
#include <QWidget>

#include <gtest/gtest.h>

#include <chrono>

using namespace std::chrono_literals;

namespace {

// Real time, plus `step` more on every read: as if the process lost the
// processor for that long just before each read. `skip` jumps ahead.
struct SteppingClock {
    std::chrono::nanoseconds step{0};
    std::chrono::nanoseconds ahead{0};

    std::chrono::nanoseconds read()
    {
        ahead += step;
        return FramePacer::steadyTime() + ahead;
    }
    void skip(std::chrono::nanoseconds span) { ahead += span; }
};

// Counts the paint events a widget receives.
class PaintCount : public QObject {
public:
    explicit PaintCount(QWidget &widget) { widget.installEventFilter(this); }

    int value = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        value += event->type() == QEvent::Paint;
        return false;
    }
};

struct Paced : ::testing::Test {
    SteppingClock clock;
    QWidget window;
    FramePacer pacer{window, [this] { return clock.read(); }};
    PaintCount paints{window};

    Paced()
    {
        window.resize(100, 100);
        window.show();
        runUntil([this] { return paints.value > 0; });
    }

    std::chrono::duration<double> frame() const { return 1s / window.screen()->refreshRate(); }

    // Asks for a repaint and handles the events that causes, timers aside.
    void updateNow()
    {
        window.update();
        QCoreApplication::sendPostedEvents();
    }
};

} // namespace

TEST_F(Paced, ChangeAfterAQuietSpellIsPaintedWithoutWaitingForATimer)
{
    clock.skip(1s);
    const int before = paints.value;
    updateNow();
    EXPECT_EQ(paints.value, before + 1);
}

TEST_F(Paced, UpdatesAtAHighRateArePaintedAtMostOncePerFrame)
{
    QElapsedTimer spell;
    spell.start();
    const int before = paints.value;
    int updates = 0;
    while (spell.elapsed() < 300) {
        window.update();
        QCoreApplication::processEvents();
        ++updates;
    }
    const double frames = std::chrono::milliseconds(spell.elapsed()) / frame();
    EXPECT_LE(paints.value - before, 2 * frames + 2) << updates << " updates";
}

// However long the process is held up between and during the pacer's
// decisions, the last change reaches the screen: no update is left behind
// a timer that never fires.
TEST_F(Paced, LastUpdateIsPaintedHoweverTheClockMovesBetweenReads)
{
    const std::chrono::microseconds steps[] = {0us, 100us, 1ms, 2ms, 5ms, 7ms, 9ms, 12ms, 15ms, 16ms, 17ms, 30ms, 1s};
    for (const auto step : steps) {
        SCOPED_TRACE(testing::Message() << "clock steps " << step.count() << " us per read");
        clock.step = step;
        for (int burst = 0; burst < 5; ++burst)
            updateNow();
        const int beforeLast = paints.value;
        window.update();
        ASSERT_TRUE(runUntil([&] { return paints.value > beforeLast; }, 2s));
    }
}
