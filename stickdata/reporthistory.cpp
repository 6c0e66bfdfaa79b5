#include "stickdata/reporthistory.h"

#include <algorithm>

Channels channelsOf(const Report &report)
{
    Channels values{};
    std::copy(report.coordinates.begin(), report.coordinates.end(), values.begin());
    for (size_t button = 0; button < report.pressed.size(); ++button)
        values[BoardModel::kFirstButton + button] = report.pressed[button] ? 1 : 0;
    return values;
}

namespace {

// Widens the extremes `low` and `high` to take in those of `other`.
void widen(Channels &low, Channels &high, const Channels &otherLow, const Channels &otherHigh)
{
    for (size_t channel = 0; channel < low.size(); ++channel) {
        low[channel] = std::min(low[channel], otherLow[channel]);
        high[channel] = std::max(high[channel], otherHigh[channel]);
    }
}

} // namespace

ReportHistory::ReportHistory(Time span, Time resolution)
    : resolution_(resolution)
    , samples_(size_t(span / resolution) + 1)
{
}

// A clock that stood still or stepped back merges too: the newest sample
// stays the newest.
void ReportHistory::add(Time at, const Report &report)
{
    const Channels values = channelsOf(report);
    if (!samples_.empty() && at - samples_.back().at < resolution_) {
        HistorySample &newest = samples_.back();
        widen(newest.low, newest.high, values, values);
        newest.last = values;
        return;
    }
    samples_.push({at, values, values, values});
}

size_t ReportHistory::firstFrom(Time at) const
{
    // A binary search over the ring's indices: samples are in time order.
    size_t low = 0;
    size_t high = samples_.size();
    while (low < high) {
        const size_t middle = low + (high - low) / 2;
        if (samples_[middle].at < at)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

std::vector<PlotColumn> plotColumns(const ReportHistory &history, ReportHistory::Time from,
                                    ReportHistory::Time columnWidth, size_t columns, ReportHistory::Time longestJoin)
{
    std::vector<PlotColumn> plot(columns);
    if (columnWidth <= ReportHistory::Time::zero())
        return plot;
    const Ring<HistorySample> &samples = history.samples();
    for (size_t i = history.firstFrom(from); i < samples.size(); ++i) {
        const HistorySample &sample = samples[i];
        const auto index = size_t((sample.at - from) / columnWidth);
        if (index >= columns)
            break;
        PlotColumn &column = plot[index];
        if (column.empty) {
            column = {.empty = false,
                      .joinsPrevious = i > 0 && sample.at - samples[i - 1].at <= longestJoin,
                      .first = sample.last,
                      .last = sample.last,
                      .low = sample.low,
                      .high = sample.high};
            continue;
        }
        widen(column.low, column.high, sample.low, sample.high);
        column.last = sample.last;
    }
    return plot;
}
