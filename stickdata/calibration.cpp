#include "stickdata/calibration.h"

namespace {

bool bothSticksRested(const BoardStats &stats)
{
    return stats.axis(0).rest && stats.axis(2).rest;
}

// The axes' ranges added up, and whether each covers `span`.
struct Ranges {
    int sum = 0;
    bool eachCovers = true;
};

Ranges rangesOf(const BoardStats &stats, int span)
{
    Ranges ranges;
    for (int channel = 0; channel < BoardModel::kAxisCount; ++channel) {
        const AxisFigures axis = stats.axis(channel);
        ranges.sum += axis.max - axis.min;
        ranges.eachCovers = ranges.eachCovers && axis.max - axis.min >= span;
    }
    return ranges;
}

} // namespace

void Calibration::start(BoardStats &stats)
{
    stats.reset();
    step_ = Step::HandsOff;
}

void Calibration::advance(const BoardStats &stats, std::chrono::nanoseconds at)
{
    if (step_ == Step::HandsOff && bothSticksRested(stats)) {
        step_ = Step::Sweeps;
        ranges_ = rangesOf(stats, kSweptSpan).sum;
        grewAt_ = at;
        return;
    }
    if (step_ != Step::Sweeps)
        return;
    const Ranges ranges = rangesOf(stats, kSweptSpan);
    if (ranges.sum > ranges_) {
        ranges_ = ranges.sum;
        grewAt_ = at;
    } else if (ranges.eachCovers && at - grewAt_ >= kSettled) {
        step_ = Step::Taken;
    }
}

void Calibration::finish()
{
    if (step_ == Step::Sweeps)
        step_ = Step::Taken;
}
