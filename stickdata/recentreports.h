#pragma once

#include "stickdata/boardmodel.h"
#include "stickdata/reporthistory.h"
#include "stickdata/traveloutline.h"

#include <array>
#include <chrono>
#include <optional>

// Which of a report's channels belong to one stick.
struct StickChannels {
    size_t x;
    size_t y;
    size_t button;
};
constexpr StickChannels kLeftStick{0, 1, 5};
constexpr StickChannels kRightStick{2, 3, 4};
constexpr std::array<StickChannels, 2> kSticks{kLeftStick, kRightStick};

// The recent reports the details views draw, kept whether they are shown or
// not, in bounded memory: the last 30 seconds for the plot; a trail of the
// last few seconds, coarser, for the sticks; each stick's travel outline
// since the last restart; and the latest report.
class RecentReports {
public:
    using Time = ReportHistory::Time;
    static constexpr Time kHistorySpan = std::chrono::seconds(30);
    static constexpr Time kTrailSpan = std::chrono::seconds(2);

    RecentReports();

    // A report and the monotonic time it arrived.
    void add(Time at, const Report &report);
    // Forgets the trail and the outlines; the history and the latest
    // report stay.
    void restart();

    const ReportHistory &history() const { return history_; }
    // Twice the trail span, so that a view finds the steps that left the
    // trail since it last drew it.
    const ReportHistory &trail() const { return trail_; }
    const TravelOutline &outline(size_t stick) const { return outlines_[stick]; }
    // How far each stick's outline moved out in all since the restart, in
    // units: a view draws it again once that comes to a pixel.
    double outlineMoved(size_t stick) const { return outlineMoved_[stick]; }
    const std::optional<Channels> &latest() const { return latest_; }

private:
    ReportHistory history_;
    ReportHistory trail_;
    std::array<TravelOutline, 2> outlines_{};
    std::array<double, 2> outlineMoved_{};
    std::optional<Channels> latest_;
};
