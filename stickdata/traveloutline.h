#pragma once

#include <QPoint>

#include <array>
#include <vector>

// The outline of every position a stick reached: in each of a fixed number
// of equal directions around the centre of its 1024 x 1024 unit space, the
// position furthest from that centre. Its shape shows the stick's range
// and how round its travel is, in memory that does not grow.
class TravelOutline {
public:
    static constexpr int kDirections = 72;
    static constexpr double kCentre = 512.0;
    // Positions closer to the centre are left out: where a stick rests,
    // off its ideal centre by up to a few tens of units.
    static constexpr double kLeastReach = 64.0;

    // How far `position` moved the outline out, in units; 0 when it did
    // not.
    double add(QPoint position);
    void clear() { furthest_ = {}; }

    // The furthest positions, going round the centre; directions never
    // reached are left out.
    std::vector<QPoint> outline() const;

private:
    struct Reach {
        QPoint position;
        // Squared distance from the centre; 0 while never reached.
        double distance = 0;
    };
    std::array<Reach, kDirections> furthest_{};
};
