#include "stickdata/axismap.h"

#include <algorithm>
#include <cmath>

namespace {

double margin(double span)
{
    return std::max(AxisMap::kMarginCounts, AxisMap::kMarginShare * span);
}

} // namespace

AxisMap::AxisMap()
    : min_(0)
    , max_(1023)
    , below_{511.5, 511.5}
    , above_{511.5, 511.5}
{
}

AxisMap::AxisMap(const AxisCalibration &calibration)
    : min_(calibration.min)
    , max_(std::max(calibration.min, calibration.max))
{
    const double centre = std::clamp(calibration.centre, min_, max_);
    const double deadZone = std::max(0.0, calibration.deadZone);
    const double lowestFull = min_ + margin(centre - min_);
    const double highestFull = max_ - margin(max_ - centre);
    below_ = {centre - deadZone, std::max(0.0, centre - deadZone - lowestFull)};
    above_ = {centre + deadZone, std::max(0.0, highestFull - centre - deadZone)};
}

// A side with no room between the dead zone and full scale goes straight
// from one to the other.
double AxisMap::Side::deflection(double distance) const
{
    return room > 0 ? std::min(1.0, distance / room) : 1.0;
}

AxisMap AxisMap::inverted() const
{
    AxisMap map = *this;
    map.inverted_ = !inverted_;
    return map;
}

int32_t AxisMap::operator()(int16_t reading) const
{
    const double value = std::clamp(double(reading), min_, max_);
    double output = 0;
    if (value < below_.edge)
        output = -below_.deflection(below_.edge - value);
    else if (value > above_.edge)
        output = above_.deflection(value - above_.edge);
    const auto scaled = int32_t(std::lround(output * kFullScale));
    return inverted_ ? -scaled : scaled;
}
