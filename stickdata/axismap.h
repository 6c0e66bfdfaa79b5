#pragma once

#include <cstdint>

// An axis as the board's own figures describe it, in its counts: the
// range the stick covered, where it rests and how far from there a
// reading still means "at rest".
struct AxisCalibration {
    double min = 0;
    double max = 1023;
    double centre = 511.5;
    double deadZone = 0;

    bool operator==(const AxisCalibration &) const = default;
};

// An axis's reading mapped to a joystick's full scale: 0 at rest,
// -kFullScale at the minimum and +kFullScale at the maximum.
//
// Each side of the centre has a slope of its own, since real sticks rest
// off the middle of their range and travel unevenly. Within the dead zone
// the output is 0; past its edge it starts again from 0, so that the whole
// scale is still there. A margin at each end gives full deflection a little
// before the calibrated extreme (see kMarginShare). Readings outside the
// calibrated range count as its ends. A calibration that makes no sense (a
// centre at or beyond an end, a dead zone wider than a side, a minimum
// above the maximum) still gives an output that never goes down as the
// reading goes up.
class AxisMap {
public:
    static constexpr int kFullScale = 32767;
    // The calibrated extremes are the farthest single readings of all the
    // sweeps, noise peaks and a hard push on the gimbal included: a stick
    // pushed to its stop again reads a little short of them, by its noise
    // (a few counts) and the play of a cheap potentiometer, which varies
    // with the direction it is pushed in. So each side reaches full scale
    // kMarginShare of its span before its extreme, and at least
    // kMarginCounts before: about 15 counts of a 500-count side, a little
    // resolution lost at the very end for a full deflection a player can
    // count on.
    static constexpr double kMarginShare = 0.03;
    static constexpr double kMarginCounts = 3;

    // The board's whole scale, linearly: 0 gives -kFullScale and 1023
    // +kFullScale, with no dead zone and no margin.
    AxisMap();
    explicit AxisMap(const AxisCalibration &calibration);

    // The same map, its output negated.
    AxisMap inverted() const;

    // Within -kFullScale to kFullScale.
    int32_t operator()(int16_t reading) const;

private:
    // One side of the centre: the dead zone's edge, where the output leaves
    // 0, and how far beyond it the output reaches full scale.
    struct Side {
        double edge;
        double room;

        // 0 to 1, `distance` past the edge.
        double deflection(double distance) const;
    };

    double min_;
    double max_;
    Side below_;
    Side above_;
    bool inverted_ = false;
};
