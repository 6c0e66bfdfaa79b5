#include "stickdata/calibration.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

using namespace std::chrono_literals;

namespace {

// A stretch of a stream: both sticks still near the middle, or going round
// in circles of `radius` once a second.
struct Stretch {
    std::chrono::milliseconds length;
    double radius = 0;
};

// Feeds `stretches` at 20 reports a second to the statistics, then to the
// calibration, as a window does.
void feed(BoardStats &stats, Calibration &calibration, const std::vector<Stretch> &stretches)
{
    std::chrono::nanoseconds at = 10s;
    int count = 0;
    for (const Stretch &stretch : stretches)
        for (const auto end = at + stretch.length; at < end; at += 50ms, ++count) {
            const double angle = 2 * std::numbers::pi * double(at / 1ms) / 1000;
            const auto x = int16_t(512 + stretch.radius * std::cos(angle) + count % 3);
            const auto y = int16_t(512 + stretch.radius * std::sin(angle) - count % 2);
            stats.addReport({quint64(count), {x, y, y, x}, {}}, at);
            calibration.advance(stats, at);
        }
}

} // namespace

TEST(Calibration, WaitsForBothSticksToRestThenEndsOnceFullSweepsStopGrowingOrTheUserEndsThem)
{
    using Step = Calibration::Step;
    struct Case {
        const char *name;
        std::vector<Stretch> stream;
        Step step;
    };
    const Case cases[] = {
        {"rest, full sweeps, rest", {{2s}, {3s, 480}, {4s}}, Step::Taken},
        {"a rest too short after the sweeps", {{2s}, {3s, 480}, {2s}}, Step::Sweeps},
        {"sweeps that cover too little", {{2s}, {3s, 200}, {4s}}, Step::Sweeps},
        {"never at rest", {{10s, 480}}, Step::HandsOff},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        BoardStats stats;
        Calibration calibration;
        feed(stats, calibration, {{1s, 300}});
        calibration.start(stats);
        EXPECT_EQ(stats.link().reports, 0u) << "the statistics start afresh";
        feed(stats, calibration, c.stream);
        EXPECT_EQ(calibration.step(), c.step);
        if (c.step == Step::Taken) {
            EXPECT_GE(stats.axis(3).max - stats.axis(3).min, Calibration::kSweptSpan);
        }
    }

    // The user ends the sweeps, but not the wait for rest.
    BoardStats stats;
    Calibration calibration;
    calibration.start(stats);
    calibration.finish();
    EXPECT_EQ(calibration.step(), Calibration::Step::HandsOff);
    feed(stats, calibration, {{2s}, {1s, 100}});
    calibration.finish();
    EXPECT_EQ(calibration.step(), Calibration::Step::Taken);
}
