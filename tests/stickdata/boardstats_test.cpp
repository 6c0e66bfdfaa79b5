#include "stickdata/boardstats.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <random>

using namespace std::chrono_literals;

namespace {

// The left stick's A0 and A1 at `seconds` into a stream.
using Motion = std::function<std::array<int16_t, 2>(double seconds)>;

// A stream of reports at `rate` a second for `seconds`: the left stick as
// `motion` has it, the right one at 0, the buttons released.
void feed(BoardStats &stats, double rate, double seconds, const Motion &motion, std::chrono::nanoseconds start = {})
{
    for (int i = 0; i < int(rate * seconds); ++i) {
        const auto [a0, a1] = motion(i / rate);
        stats.addReport({quint64(i + 1), {a0, a1, 0, 0}, {}}, start + std::chrono::nanoseconds(qint64(i * 1e9 / rate)));
    }
}

// A stick resting at `centre` on both axes, its readings rounded from
// Gaussian noise of `sd` counts.
Motion restAt(double centre, double sd, unsigned seed = 1)
{
    return [centre, noise = std::normal_distribution<double>(0, sd), random = std::mt19937(seed)](double) mutable {
        return std::array<int16_t, 2>{int16_t(std::lround(centre + noise(random))),
                                      int16_t(std::lround(centre + noise(random)))};
    };
}

// The SD of readings of Gaussian noise of `sd`, rounded to whole counts.
double quantised(double sd)
{
    return std::sqrt(sd * sd + 1.0 / 12);
}

Motion sweep(double unitsPerSecond)
{
    return [=](double t) { return std::array<int16_t, 2>{int16_t(100 + unitsPerSecond * t), 512}; };
}

} // namespace

TEST(BoardStats, RestsGiveTheCentreNoiseAndANonZeroDeadZone)
{
    struct Case {
        const char *name;
        std::function<void(BoardStats &)> stream;
        double centre;
        double noiseSd;
        int minDeadZone;
        int maxDeadZone;
    };
    const Case cases[] = {
        {"a quiet stick still gets a dead zone", [](BoardStats &s) { feed(s, 20, 5, restAt(512, 0)); }, 512, 0, 1, 1},
        {"noise of SD 4 at 1000 reports a second", [](BoardStats &s) { feed(s, 1000, 10, restAt(511.5, 4)); }, 511.5,
         quantised(4), 10, 16},
        {"two rests 10 apart: the mean centre, a zone reaching both",
         [](BoardStats &s) {
             feed(s, 20, 3, restAt(500, 0.5));
             feed(s, 20, 1, sweep(200), 3s);
             feed(s, 20, 3, restAt(510, 0.5, 2), 4s);
         },
         505, quantised(0.5), 6, 8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        BoardStats stats;
        c.stream(stats);
        const AxisFigures a0 = stats.axis(0);
        ASSERT_TRUE(a0.rest);
        EXPECT_NEAR(a0.rest->centre, c.centre, 0.3);
        EXPECT_NEAR(a0.rest->noiseSd, c.noiseSd, 0.1 * c.noiseSd + 0.01);
        EXPECT_GE(a0.rest->deadZone, c.minDeadZone);
        EXPECT_LE(a0.rest->deadZone, c.maxDeadZone);
        EXPECT_DOUBLE_EQ(a0.rest->spanBelow, a0.rest->centre - a0.min);
        EXPECT_DOUBLE_EQ(a0.rest->spanAbove, a0.max - a0.rest->centre);
    }
}

// jscal's known fault: a centre read at one instant. A stick that never
// stayed still a whole second has no centre.
TEST(BoardStats, NoCentreWithoutASecondAtRest)
{
    const std::pair<const char *, std::function<void(BoardStats &)>> cases[] = {
        {"one report", [](BoardStats &s) { feed(s, 20, 0.05, restAt(512, 0)); }},
        {"still for 0.9 s", [](BoardStats &s) { feed(s, 20, 0.9, restAt(512, 0)); }},
        {"moved at 100 units a second", [](BoardStats &s) { feed(s, 1000, 5, sweep(100)); }},
        {"held against its stop",
         [](BoardStats &s) { feed(s, 20, 5, [](double) {
                                 return std::array<int16_t, 2>{1023, 512};
                             }); }},
    };
    for (const auto &[name, stream] : cases) {
        SCOPED_TRACE(name);
        BoardStats stats;
        stream(stats);
        EXPECT_FALSE(stats.axis(0).rest);
        EXPECT_FALSE(stats.axis(1).rest);
    }
}

TEST(BoardStats, JitterAndRateComeFromTheReceiveTimesAndTheLinksEventsAndPressesCountUntilReset)
{
    BoardStats timed;
    std::chrono::nanoseconds at{};
    for (int i = 0; i < 101; ++i) {
        timed.addReport({}, at);
        at += i % 2 ? 40ms : 60ms;
    }
    const LinkFigures timing = timed.link();
    ASSERT_TRUE(timing.interval);
    EXPECT_NEAR(timing.interval->meanMs, 50, 1e-9);
    EXPECT_NEAR(timing.interval->sdMs, 10, 1e-9);
    EXPECT_DOUBLE_EQ(timing.interval->maxMs, 60);
    EXPECT_NEAR(*timing.rate, 20, 1e-9);

    BoardStats stats;
    const auto report = [&](bool right, bool left) { stats.addReport({1, {}, {right, left}}, {}); };
    stats.boardFound();
    stats.countRequest();
    report(true, false); // held from the start: no press seen
    stats.countRequest();
    stats.countRequest(); // the one before went unanswered
    report(false, true);
    report(true, true);
    stats.countIgnoredLine();
    stats.countDroppedLine();
    stats.countRequest();
    stats.boardLost();   // so did this one
    report(true, false); // pressed through the loss: no press seen
    stats.boardFound();

    const LinkFigures link = stats.link();
    EXPECT_EQ(stats.presses(4), 1u);
    EXPECT_EQ(stats.presses(5), 1u);
    EXPECT_EQ(link.unansweredRequests, 2u);
    EXPECT_EQ(link.ignoredLines, 1u);
    EXPECT_EQ(link.longLinesDropped, 1u);
    EXPECT_EQ(link.losses, 1u);
    EXPECT_EQ(link.recoveries, 1u);
    EXPECT_EQ(link.reports, 4u);

    stats.reset();
    const LinkFigures none = stats.link();
    EXPECT_EQ(none.reports + none.sessions + none.unansweredRequests + none.ignoredLines + none.losses, 0u);
    EXPECT_FALSE(none.interval);
    EXPECT_EQ(stats.presses(4), 0u);
}

// A loss breaks the intervals and the rests: two stretches of 0.8 s are
// no rest, and the gap between them no interval. While the board is lost
// no rate stands; the intervals before the loss do.
TEST(BoardStats, ABoardLostBreaksIntervalsAndRestsAndHasNoRate)
{
    BoardStats stats;
    stats.boardFound();
    feed(stats, 5, 1, restAt(512, 0));
    ASSERT_TRUE(stats.link().rate);
    stats.boardLost();
    EXPECT_FALSE(stats.link().rate);
    EXPECT_TRUE(stats.link().lost);
    stats.boardFound();
    feed(stats, 5, 1, restAt(512, 0), 10s);
    EXPECT_FALSE(stats.axis(0).rest);
    EXPECT_EQ(stats.link().sessions, 2u);
    ASSERT_TRUE(stats.link().interval);
    EXPECT_DOUBLE_EQ(stats.link().interval->maxMs, 200);
    EXPECT_DOUBLE_EQ(stats.link().interval->meanMs, 200);
    EXPECT_NEAR(*stats.link().rate, 5, 1e-9);
}

// Ten minutes at 1000 reports a second, in running figures that neither
// overflow nor lose their precision.
TEST(BoardStats, ALongFastRunKeepsItsPrecision)
{
    BoardStats stats;
    feed(stats, 1000, 600, restAt(700.25, 1.5));
    const AxisFigures a1 = stats.axis(1);
    ASSERT_TRUE(a1.rest);
    EXPECT_NEAR(a1.rest->centre, 700.25, 0.05);
    EXPECT_NEAR(a1.rest->noiseSd, quantised(1.5), 0.05);
    EXPECT_NEAR(stats.link().interval->meanMs, 1, 1e-6);
}
