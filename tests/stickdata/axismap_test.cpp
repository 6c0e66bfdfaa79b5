#include "stickdata/axismap.h"

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr int kFull = AxisMap::kFullScale;

// A stick that rests below the middle of its range, with more travel above
// its centre than below it.
constexpr AxisCalibration kOffCentre{40, 980, 498.4, 6};

} // namespace

TEST(AxisMap, RestsAtZeroThroughTheDeadZoneAndStartsFromZeroAtItsEdge)
{
    const AxisMap map(kOffCentre);
    for (const int reading : {498, 493, 499, 504})
        EXPECT_EQ(map(int16_t(reading)), 0) << reading;
    // The dead zone ends at 492.4 and 504.4.
    EXPECT_LT(map(492), 0);
    EXPECT_GT(map(492), -100);
    EXPECT_LT(map(491), map(492));
    EXPECT_GT(map(505), 0);
    EXPECT_LT(map(505), 100);
    EXPECT_GT(map(506), map(505));
}

TEST(AxisMap, EachSideHasItsOwnSlopeAndReachesFullScaleWithinItsMargin)
{
    const AxisMap map(kOffCentre);
    EXPECT_EQ(map(40), -kFull);
    EXPECT_EQ(map(980), kFull);
    // A few counts inside each extreme is still full deflection.
    EXPECT_EQ(map(45), -kFull);
    EXPECT_EQ(map(975), kFull);
    // Farther in it is not.
    EXPECT_GT(map(70), -kFull);
    EXPECT_LT(map(950), kFull);
    // Halfway from each edge of the dead zone to where that side reaches
    // full scale is half the scale, although the sides differ in length
    // (within a count, some 70 of the output).
    const double lowFull = 40 + AxisMap::kMarginShare * (498.4 - 40);
    const double highFull = 980 - AxisMap::kMarginShare * (980 - 498.4);
    EXPECT_NEAR(map(int16_t((492.4 + lowFull) / 2)), -kFull / 2, 100);
    EXPECT_NEAR(map(int16_t((504.4 + highFull) / 2)), kFull / 2, 100);
}

TEST(AxisMap, ReadingsOutsideTheCalibratedRangeCountAsItsEnds)
{
    const AxisMap map(kOffCentre);
    for (const int16_t reading : {int16_t(0), int16_t(-1), std::numeric_limits<int16_t>::min()})
        EXPECT_EQ(map(reading), -kFull) << reading;
    for (const int16_t reading : {int16_t(1023), int16_t(5000), std::numeric_limits<int16_t>::max()})
        EXPECT_EQ(map(reading), kFull) << reading;
}

TEST(AxisMap, ACentreAtOrBeyondAnEndRestsThereAndTheOtherSideTakesTheWholeRange)
{
    for (const double centre : {100.0, -50.0}) {
        const AxisMap map({100, 900, centre, 5});
        EXPECT_EQ(map(100), 0) << centre;
        EXPECT_EQ(map(0), 0) << centre;
        EXPECT_GT(map(500), kFull / 3) << centre;
        EXPECT_EQ(map(900), kFull) << centre;
    }
    const AxisMap atTheTop({100, 900, 950, 5});
    EXPECT_EQ(atTheTop(900), 0);
    EXPECT_EQ(atTheTop(100), -kFull);
}

TEST(AxisMap, AnInvertedAxisGivesTheSameOutputNegated)
{
    const AxisMap map(kOffCentre);
    const AxisMap inverted = map.inverted();
    for (const int reading : {0, 40, 300, 492, 498, 505, 700, 980, 2000})
        EXPECT_EQ(inverted(int16_t(reading)), -map(int16_t(reading))) << reading;
    EXPECT_EQ(inverted.inverted()(40), -kFull);
}

TEST(AxisMap, WithoutACalibrationTheBoardsScaleMapsLinearly)
{
    const AxisMap map;
    EXPECT_EQ(map(0), -kFull);
    EXPECT_EQ(map(1023), kFull);
    EXPECT_EQ(map(-500), -kFull);
    EXPECT_EQ(map(2000), kFull);
    for (int16_t reading = 0; reading <= 1023; ++reading) {
        EXPECT_NEAR(map(reading), (reading - 511.5) / 511.5 * kFull, 0.5) << reading;
        EXPECT_EQ(map(reading), -map(int16_t(1023 - reading))) << reading;
    }
}

TEST(AxisMap, EveryCalibrationGivesAnOutputThatNeverGoesDownAcrossTheWholeInt16Range)
{
    struct Case {
        const char *name;
        AxisCalibration calibration;
    };
    const Case cases[] = {
        {"an ordinary stick", kOffCentre},
        {"centre at the minimum", {100, 900, 100, 5}},
        {"centre at the maximum", {100, 900, 900, 5}},
        {"centre below the range", {100, 900, -50, 5}},
        {"centre above the range", {100, 900, 4000, 5}},
        {"dead zone wider than one side", {100, 900, 150, 80}},
        {"dead zone wider than the range", {100, 900, 500, 2000}},
        {"dead zone filling a side to its margin", {0, 1000, 500, 499}},
        {"a negative dead zone", {100, 900, 500, -20}},
        {"a range of one count", {500, 501, 500, 0}},
        {"no range", {500, 500, 500, 3}},
        {"minimum above maximum", {900, 100, 500, 5}},
        {"the whole int16 range", {-32768, 32767, 0, 0}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        for (const bool rising : {true, false}) {
            const AxisMap map = rising ? AxisMap(c.calibration) : AxisMap(c.calibration).inverted();
            int32_t previous = map(std::numeric_limits<int16_t>::min());
            for (int reading = std::numeric_limits<int16_t>::min(); reading <= std::numeric_limits<int16_t>::max(); ++reading) {
                const int32_t output = map(int16_t(reading));
                ASSERT_LE(std::abs(output), kFull) << reading;
                ASSERT_TRUE(rising ? output >= previous : output <= previous) << reading;
                previous = output;
            }
        }
        const AxisCalibration &calibration = c.calibration;
        if (calibration.min <= calibration.centre && calibration.centre <= calibration.max) {
            EXPECT_EQ(AxisMap(calibration)(int16_t(calibration.centre)), 0);
        }
    }
}
