#include "stickdata/axismap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace {

constexpr int kFull = AxisMap::kFullScale;
constexpr int kLowest = std::numeric_limits<int16_t>::min();
constexpr int kHighest = std::numeric_limits<int16_t>::max();

int32_t at(const AxisMap &map, int reading)
{
    return map(int16_t(reading));
}

} // namespace

TEST(AxisMap, AStickRestingOffTheMiddleGetsTwoSlopesADeadZoneAndFullScaleWithinItsMargins)
{
    // The dead zone spans 492.4 to 504.4; full scale comes 3 % of each
    // side's span inside its extreme: at 53.75 and 965.55.
    const AxisMap map({40, 980, 498.4, 6});
    for (const int reading : {493, 498, 504})
        EXPECT_EQ(at(map, reading), 0) << reading;
    EXPECT_LT(at(map, 492), 0);
    EXPECT_GT(at(map, 492), -100) << "starts from 0 at the dead zone's edge";
    EXPECT_LT(at(map, 491), at(map, 492));
    EXPECT_GT(at(map, 505), 0);
    EXPECT_LT(at(map, 505), 100);
    // Halfway from the dead zone to full scale is half the scale on either
    // side, although the sides differ (within a count, some 75 of output).
    EXPECT_NEAR(at(map, 273), -kFull / 2.0, 75);
    EXPECT_NEAR(at(map, 735), kFull / 2.0, 75);
    for (const int reading : {kLowest, 0, 40, 50})
        EXPECT_EQ(at(map, reading), -kFull) << reading;
    for (const int reading : {970, 980, 1023, kHighest})
        EXPECT_EQ(at(map, reading), kFull) << reading;
    EXPECT_GT(at(map, 60), -kFull);
    EXPECT_LT(at(map, 960), kFull);
    for (const int reading : {0, 300, 492, 498, 505, 700, 2000})
        EXPECT_EQ(at(map.inverted(), reading), -at(map, reading)) << reading;

    // Without a calibration, the board's scale maps linearly.
    const AxisMap linear;
    EXPECT_EQ(at(linear, -500), -kFull);
    EXPECT_EQ(at(linear, 2000), kFull);
    for (int reading = 0; reading <= 1023; ++reading)
        ASSERT_NEAR(at(linear, reading), (reading - 511.5) / 511.5 * kFull, 0.5) << reading;
}

TEST(AxisMap, EveryCalibrationGivesAnOutputThatNeverGoesBackAcrossTheWholeInt16Range)
{
    const AxisCalibration calibrations[] = {
        {40, 980, 498.4, 6}, {100, 900, 100, 5},    {100, 900, 900, 5},    {100, 900, -50, 5},   {100, 900, 4000, 5},
        {100, 900, 150, 80}, {100, 900, 500, 2000}, {0, 1000, 500, 499},   {100, 900, 500, -20}, {500, 501, 500, 0},
        {500, 500, 500, 3},  {900, 100, 500, 5},    {-32768, 32767, 0, 0},
    };
    for (const AxisCalibration &calibration : calibrations) {
        SCOPED_TRACE(testing::Message() << calibration.min << ".." << calibration.max << " centre "
                                        << calibration.centre << " dead zone " << calibration.deadZone);
        for (const int direction : {1, -1}) {
            const AxisMap map = direction > 0 ? AxisMap(calibration) : AxisMap(calibration).inverted();
            for (int reading = kLowest + 1; reading <= kHighest; ++reading) {
                ASSERT_LE(std::abs(at(map, reading)), kFull) << reading;
                ASSERT_GE(direction * (at(map, reading) - at(map, reading - 1)), 0) << reading;
            }
        }
        // A centre beyond an end rests at that end.
        const double centre =
            std::clamp(calibration.centre, calibration.min, std::max(calibration.min, calibration.max));
        EXPECT_EQ(at(AxisMap(calibration), int(centre)), 0);
    }
}
