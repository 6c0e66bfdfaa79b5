#pragma once

#include "stickdata/boardmodel.h"

#include <QtGlobal>

#include <array>
#include <chrono>
#include <cstdint>
#include <optional>

// The count, mean, standard deviation and largest of a series, kept
// running (Welford's method, which stays exact where plain sums of squares
// lose their precision).
class RunningSpread {
public:
    void add(double value);
    quint64 count() const { return count_; }
    double mean() const { return mean_; }
    // Of the whole series, not of a sample drawn from it.
    double sd() const;
    double max() const { return max_; }

private:
    quint64 count_ = 0;
    double mean_ = 0;
    double squares_ = 0;
    double max_ = 0;
};

// One stick's two axes over a stretch of reports in which both have stayed
// within the rest band around their mean. Sums are of each value's
// difference from the stretch's first, which the band keeps small.
class RestStretch {
public:
    struct Axis {
        int16_t first = 0;
        int16_t lowest = 0;
        int16_t highest = 0;
        qint64 sum = 0;
        qint64 squares = 0;

        double mean(quint64 count) const { return first + double(sum) / double(count); }
        // The sum of squared differences from the mean.
        double deviations(quint64 count) const { return double(squares) - double(sum) * double(sum) / double(count); }
    };

    void begin(std::array<int16_t, 2> values, std::chrono::nanoseconds at);
    // Adds the values, or ends the stretch (false) when either leaves the
    // band of `halfWidth` around the mean they would make.
    bool extend(std::array<int16_t, 2> values, std::chrono::nanoseconds at, int halfWidth);
    void clear() { count_ = 0; }

    quint64 count() const { return count_; }
    std::chrono::nanoseconds duration() const { return last_ - start_; }
    const Axis &axis(int index) const { return axes_[size_t(index)]; }

private:
    std::array<Axis, 2> axes_{};
    quint64 count_ = 0;
    std::chrono::nanoseconds start_{};
    std::chrono::nanoseconds last_{};
};

// What is known of an axis at rest, over every rest of its stick so far.
struct RestTotals {
    quint64 samples = 0;
    double sum = 0;
    // The squared differences of each value from its own rest's mean.
    double deviations = 0;
    int peakToPeak = 0;
    double lowestCentre = 0;
    double highestCentre = 0;

    void add(const RestStretch::Axis &axis, quint64 count);
};

// An axis's figures. `min` and `max` are 0 before the first report; `rest`
// is there once its stick has rested.
struct AxisFigures {
    struct Rest {
        // The mean over the rests; its noise about each rest's own mean.
        double centre;
        double noiseSd;
        int noisePp;
        // How far from the centre a value still means "at rest": the noise
        // (half its peak to peak, at least three standard deviations) plus
        // the farthest any rest's own mean lay from the centre; at least 1.
        int deadZone;
        // From the centre down to the minimum and up to the maximum.
        double spanBelow;
        double spanAbove;
    };
    int16_t min = 0;
    int16_t max = 0;
    std::optional<Rest> rest;
};

struct IntervalFigures {
    double meanMs;
    // The jitter.
    double sdMs;
    double maxMs;
};

struct LinkFigures {
    quint64 reports;
    // Runs of reports without a loss or a break between them.
    quint64 sessions;
    // Reports per second while they flow: one over the mean interval;
    // nothing while the board is lost.
    std::optional<double> rate;
    // Between reports of one session; nothing before two of them.
    std::optional<IntervalFigures> interval;
    // The board is lost now: the intervals are those before.
    bool lost;
    quint64 ignoredLines;
    quint64 longLinesDropped;
    // Requests after which no report completed before the next request or
    // the board's loss.
    quint64 unansweredRequests;
    quint64 losses;
    quint64 recoveries;
};

// The board's statistics since the last reset: each axis's range, centre,
// noise and dead zone, the buttons' presses and the link's health. Fed
// with each completed report and the monotonic time its closing line
// arrived (any origin, going forward within a session), and with the
// link's events.
//
// A stick (A0 and A1 left, A2 and A3 right) rests through a stretch of at
// least a second in which both its axes stay within kRestHalfBand of their
// mean, unless either mean lies that close to an end of the 10-bit scale,
// where a stick held against its stop is as still. The stretch takes a
// report at most every kRestSampleGap, so that a fast board's many
// readings do not make the band catch the rarest peaks of its noise: the
// same noise is at rest at 5 and at 1000 reports a second. The band was
// chosen by running the detector over synthetic rests and slow sweeps
// ("The rest band" in bench/RESULTS.md): +-9 counts
// finds a rest within 10 s for every stick with Gaussian noise of SD up to
// 3 counts and for 97 % of those with SD 4, at 5, 20 and 1000 reports a
// second, and takes no stick moved at 20 units a second (a full travel in
// under a minute) or faster but for 7 % at 5 reports a second; no band
// takes those rests and rejects a stick moved at 10 units a second, which
// within a second is no more than such noise.
//
// Every figure is kept running: the statistics hold no container and
// allocate nothing, so their memory is sizeof(BoardStats), a few hundred
// bytes, whatever the rate and however long they run.
class BoardStats {
public:
    static constexpr int kRestHalfBand = 9;
    static constexpr std::chrono::seconds kShortestRest{1};
    static constexpr int kScaleTop = 1023;
    static constexpr std::chrono::milliseconds kRestSampleGap{40};

    // `restHalfBand` other than the chosen one is for measuring the choice.
    explicit BoardStats(int restHalfBand = kRestHalfBand);

    void addReport(const Report &report, std::chrono::nanoseconds arrival);
    // The reports stopped and start again from a new beginning: no
    // interval, rest or button press spans the break.
    void streamInterrupted();
    void countIgnoredLine() { ++ignoredLines_; }
    void countDroppedLine() { ++longLinesDropped_; }
    void countRequest();
    void boardLost();
    void boardFound();
    void reset();

    // Axis 0 to 3.
    AxisFigures axis(int channel) const;
    // Button channel 4 or 5: its transitions to pressed.
    quint64 presses(int channel) const { return presses_[size_t(channel - BoardModel::kFirstButton)]; }
    LinkFigures link() const;

private:
    static constexpr int kSticks = 2;

    void followStick(int stick, const Report &report, std::chrono::nanoseconds arrival);
    void endStretch(int stick);
    bool isRest(const RestStretch &stretch) const;
    void countPresses(const Report &report);

    int restHalfBand_;
    quint64 reports_ = 0;
    quint64 sessions_ = 0;
    bool inSession_ = false;
    std::optional<std::chrono::nanoseconds> lastArrival_;
    RunningSpread intervalsMs_;
    std::array<int16_t, BoardModel::kAxisCount> min_{};
    std::array<int16_t, BoardModel::kAxisCount> max_{};
    std::optional<std::chrono::nanoseconds> lastRestSample_;
    std::array<RestStretch, kSticks> stretches_{};
    std::array<RestTotals, BoardModel::kAxisCount> rests_{};
    std::optional<std::array<bool, 2>> lastPressed_;
    std::array<quint64, 2> presses_{};
    quint64 ignoredLines_ = 0;
    quint64 longLinesDropped_ = 0;
    bool requestPending_ = false;
    quint64 unansweredRequests_ = 0;
    bool lost_ = false;
    quint64 losses_ = 0;
    quint64 recoveries_ = 0;
};
