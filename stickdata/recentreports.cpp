#include "stickdata/recentreports.h"

using namespace std::chrono_literals;

namespace {

// A sample every millisecond at most: 30,001 samples of 48 bytes cover
// the span at any rate, and 1000 reports a second keep nearly all their own.
constexpr RecentReports::Time kHistoryResolution = 1ms;
// A trail point every 10 ms at most.
constexpr RecentReports::Time kTrailResolution = 10ms;

} // namespace

RecentReports::RecentReports()
    : history_(kHistorySpan, kHistoryResolution)
    , trail_(2 * kTrailSpan, kTrailResolution)
{
}

void RecentReports::add(Time at, const Report &report)
{
    history_.add(at, report);
    trail_.add(at, report);
    latest_ = channelsOf(report);
    for (size_t stick = 0; stick < kSticks.size(); ++stick) {
        const StickChannels &channels = kSticks[stick];
        outlineMoved_[stick] += outlines_[stick].add(QPoint((*latest_)[channels.x], (*latest_)[channels.y]));
    }
}

void RecentReports::restart()
{
    trail_.clear();
    for (TravelOutline &outline : outlines_)
        outline.clear();
    outlineMoved_ = {};
}
