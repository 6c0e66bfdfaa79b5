#include "stickdata/traveloutline.h"

#include <cmath>
#include <numbers>

// A position near the centre widens nothing: a stick's rest and its
// noise would pull the outline in to the centre in each direction the
// stick did not travel, a star of spikes where the travel was sampled
// sparsely.
double TravelOutline::add(QPoint position)
{
    const double dx = position.x() - kCentre;
    const double dy = position.y() - kCentre;
    const double distance = dx * dx + dy * dy;
    if (distance < kLeastReach * kLeastReach)
        return 0;
    const double turn = (std::atan2(dy, dx) + std::numbers::pi) / (2 * std::numbers::pi);
    Reach &reach = furthest_[size_t(int(turn * kDirections) % kDirections)];
    if (distance <= reach.distance)
        return 0;
    const double further = std::sqrt(distance) - std::sqrt(reach.distance);
    reach = {position, distance};
    return further;
}

std::vector<QPoint> TravelOutline::outline() const
{
    std::vector<QPoint> points;
    for (const Reach &reach : furthest_)
        if (reach.distance > 0)
            points.push_back(reach.position);
    return points;
}
