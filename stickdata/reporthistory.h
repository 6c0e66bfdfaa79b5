#pragma once

#include "stickdata/boardmodel.h"
#include "stickdata/ring.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <vector>

// The board's reports over a recent span of time, in bounded memory, and
// their extremes per pixel column for a plot.

// The six channels of a report as numbers: A0 to A3 as received, A4 and A5
// 1 while pressed and 0 otherwise.
using Channels = std::array<int16_t, BoardModel::kChannelCount>;

Channels channelsOf(const Report &report);

// One or more reports received within the history's resolution of each
// other: each channel's lowest, highest and latest value among them.
struct HistorySample {
    // Monotonic receive time of the first of them.
    std::chrono::nanoseconds at{};
    Channels low{};
    Channels high{};
    Channels last{};
};

// The reports of at least the last `span`, each with the monotonic time it
// arrived. A report that arrives less than `resolution` after the newest
// sample is merged into it, keeping each channel's extremes; so samples are
// at least `resolution` apart and a capacity of span / resolution + 1
// covers the whole span whatever the rate. Up to one report a resolution,
// every report is a sample of its own.
class ReportHistory {
public:
    using Time = std::chrono::nanoseconds;

    ReportHistory(Time span, Time resolution);

    void add(Time at, const Report &report);
    void clear() { samples_.clear(); }

    const Ring<HistorySample> &samples() const { return samples_; }
    // The index of the first sample received at or after `at`; size() when
    // there is none.
    size_t firstFrom(Time at) const;

private:
    Time resolution_;
    Ring<HistorySample> samples_;
};

// The samples that fall in one pixel column of a plot.
struct PlotColumn {
    bool empty = true;
    // Whether a line is drawn to this column from the sample before it: it
    // is not where the board was silent longer than the plot's join limit.
    bool joinsPrevious = false;
    Channels first{};
    Channels last{};
    Channels low{};
    Channels high{};
};

// The samples from `from` on spread over `columns` columns `columnWidth`
// long, each keeping its samples' first and last values and their
// extremes, so that a one-sample spike survives however many samples share
// its column. A merged sample counts as its latest value for the first and
// last. A line joins a column to the sample before it when that came at
// most `longestJoin` earlier. Whole nanoseconds place each sample, so that
// columns counted from any `from` a whole number of columns apart agree.
std::vector<PlotColumn> plotColumns(const ReportHistory &history, ReportHistory::Time from,
                                    ReportHistory::Time columnWidth, size_t columns, ReportHistory::Time longestJoin);
