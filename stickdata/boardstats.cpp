#include "stickdata/boardstats.h"

#include <algorithm>
#include <cmath>

namespace {

using namespace std::chrono;

double inMilliseconds(nanoseconds span)
{
    return duration<double, std::milli>(span).count();
}

// The stick's two axes, A0 and A1 for the left one, A2 and A3 for the right.
std::array<int16_t, 2> axesOf(int stick, const Report &report)
{
    return {report.coordinates[size_t(2 * stick)], report.coordinates[size_t(2 * stick + 1)]};
}

// Whether every value of an axis with `count` values, `axis` among them,
// lies within `halfWidth` of their mean; in whole numbers, exactly.
bool withinBand(const RestStretch::Axis &axis, quint64 count, int halfWidth)
{
    const qint64 n = qint64(count);
    const qint64 band = qint64(halfWidth) * n;
    return n * (axis.highest - axis.first) - axis.sum <= band && axis.sum - n * (axis.lowest - axis.first) <= band;
}

AxisFigures::Rest restFigures(const RestTotals &rest, int16_t min, int16_t max)
{
    const double centre = rest.sum / double(rest.samples);
    const double sd = std::sqrt(rest.deviations / double(rest.samples));
    const double noise = std::max(rest.peakToPeak / 2.0, 3 * sd);
    const double drift = std::max(rest.highestCentre - centre, centre - rest.lowestCentre);
    const int deadZone = std::max(1, int(std::ceil(noise + drift)));
    return {centre, sd, rest.peakToPeak, deadZone, centre - min, max - centre};
}

} // namespace

void RunningSpread::add(double value)
{
    ++count_;
    const double delta = value - mean_;
    mean_ += delta / double(count_);
    squares_ += delta * (value - mean_);
    max_ = count_ == 1 ? value : std::max(max_, value);
}

double RunningSpread::sd() const
{
    return count_ == 0 ? 0 : std::sqrt(squares_ / double(count_));
}

void RestStretch::begin(std::array<int16_t, 2> values, nanoseconds at)
{
    for (size_t i = 0; i < values.size(); ++i)
        axes_[i] = {values[i], values[i], values[i], 0, 0};
    count_ = 1;
    start_ = last_ = at;
}

bool RestStretch::extend(std::array<int16_t, 2> values, nanoseconds at, int halfWidth)
{
    std::array<Axis, 2> extended = axes_;
    for (size_t i = 0; i < values.size(); ++i) {
        Axis &axis = extended[i];
        const qint64 difference = values[i] - axis.first;
        axis.lowest = std::min(axis.lowest, values[i]);
        axis.highest = std::max(axis.highest, values[i]);
        axis.sum += difference;
        axis.squares += difference * difference;
        if (!withinBand(axis, count_ + 1, halfWidth))
            return false;
    }
    axes_ = extended;
    ++count_;
    last_ = at;
    return true;
}

void RestTotals::add(const RestStretch::Axis &axis, quint64 count)
{
    const double centre = axis.mean(count);
    lowestCentre = samples == 0 ? centre : std::min(lowestCentre, centre);
    highestCentre = samples == 0 ? centre : std::max(highestCentre, centre);
    samples += count;
    sum += centre * double(count);
    deviations += axis.deviations(count);
    peakToPeak = std::max(peakToPeak, axis.highest - axis.lowest);
}

BoardStats::BoardStats(int restHalfBand)
    : restHalfBand_(restHalfBand)
{
}

void BoardStats::addReport(const Report &report, nanoseconds arrival)
{
    if (!inSession_) {
        ++sessions_;
        inSession_ = true;
    }
    if (lastArrival_)
        intervalsMs_.add(inMilliseconds(arrival - *lastArrival_));
    lastArrival_ = arrival;
    for (size_t i = 0; i < report.coordinates.size(); ++i) {
        min_[i] = reports_ == 0 ? report.coordinates[i] : std::min(min_[i], report.coordinates[i]);
        max_[i] = reports_ == 0 ? report.coordinates[i] : std::max(max_[i], report.coordinates[i]);
    }
    ++reports_;
    if (!lastRestSample_ || arrival - *lastRestSample_ >= kRestSampleGap) {
        lastRestSample_ = arrival;
        for (int stick = 0; stick < kSticks; ++stick)
            followStick(stick, report, arrival);
    }
    countPresses(report);
    requestPending_ = false;
}

void BoardStats::followStick(int stick, const Report &report, nanoseconds arrival)
{
    RestStretch &stretch = stretches_[size_t(stick)];
    const std::array<int16_t, 2> values = axesOf(stick, report);
    if (stretch.count() > 0 && stretch.extend(values, arrival, restHalfBand_))
        return;
    endStretch(stick);
    stretch.begin(values, arrival);
}

// A stretch long enough to be a rest adds to its axes' rests.
void BoardStats::endStretch(int stick)
{
    RestStretch &stretch = stretches_[size_t(stick)];
    if (isRest(stretch))
        for (int i = 0; i < 2; ++i)
            rests_[size_t(2 * stick + i)].add(stretch.axis(i), stretch.count());
    stretch.clear();
}

bool BoardStats::isRest(const RestStretch &stretch) const
{
    if (stretch.count() == 0 || stretch.duration() < kShortestRest)
        return false;
    for (int i = 0; i < 2; ++i) {
        const double mean = stretch.axis(i).mean(stretch.count());
        if (mean <= restHalfBand_ || mean >= kScaleTop - restHalfBand_)
            return false;
    }
    return true;
}

void BoardStats::countPresses(const Report &report)
{
    for (size_t i = 0; i < presses_.size(); ++i)
        if (lastPressed_ && report.pressed[i] && !(*lastPressed_)[i])
            ++presses_[i];
    lastPressed_ = report.pressed;
}

void BoardStats::streamInterrupted()
{
    inSession_ = false;
    lastArrival_.reset();
    lastRestSample_.reset();
    lastPressed_.reset();
    for (int stick = 0; stick < kSticks; ++stick)
        endStretch(stick);
}

void BoardStats::countRequest()
{
    if (requestPending_)
        ++unansweredRequests_;
    requestPending_ = true;
}

void BoardStats::boardLost()
{
    if (requestPending_)
        ++unansweredRequests_;
    requestPending_ = false;
    ++losses_;
    lost_ = true;
    streamInterrupted();
}

void BoardStats::boardFound()
{
    if (lost_)
        ++recoveries_;
    lost_ = false;
}

void BoardStats::reset()
{
    *this = BoardStats(restHalfBand_);
}

AxisFigures BoardStats::axis(int channel) const
{
    const size_t index = size_t(channel);
    RestTotals rest = rests_[index];
    const RestStretch &stretch = stretches_[index / 2];
    if (isRest(stretch))
        rest.add(stretch.axis(channel % 2), stretch.count());
    AxisFigures figures{min_[index], max_[index], std::nullopt};
    if (rest.samples > 0)
        figures.rest = restFigures(rest, figures.min, figures.max);
    return figures;
}

LinkFigures BoardStats::link() const
{
    LinkFigures figures{reports_,      sessions_,         std::nullopt,        std::nullopt, lost_,
                        ignoredLines_, longLinesDropped_, unansweredRequests_, losses_,      recoveries_};
    if (intervalsMs_.count() > 0)
        figures.interval = IntervalFigures{intervalsMs_.mean(), intervalsMs_.sd(), intervalsMs_.max()};
    if (intervalsMs_.mean() > 0 && !lost_)
        figures.rate = 1000 / intervalsMs_.mean();
    return figures;
}
