#include "window/presentschedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

using namespace std::chrono_literals;
using Part = PresentSchedule::Part;
using Time = PresentSchedule::Time;

namespace {

struct Change {
    Time at;
    Part part;
};

struct Frame {
    Time at;
    PresentSchedule::Parts parts;
};

// Full reports, each arriving in one piece: its axis texts and its sticks.
std::vector<Change> reports(Time first, Time interval, int count)
{
    std::vector<Change> changes;
    for (int i = 0; i < count; ++i) {
        changes.push_back({first + i * interval, Part::Texts});
        changes.push_back({first + i * interval, Part::Sticks});
    }
    return changes;
}

// The frames the schedule sends out over `changes` when, like the window's
// timer, a frame goes out as soon as one is due, once the changes that
// arrive together are all in.
std::vector<Frame> framesOf(const std::vector<Change> &changes)
{
    PresentSchedule schedule;
    std::vector<Frame> frames;
    Time now = 0ns;
    const auto sendDue = [&](Time until) {
        while (const auto due = schedule.due()) {
            const Time at = std::max(*due, now);
            if (at >= until)
                return;
            const PresentSchedule::Parts parts = schedule.take(at);
            ASSERT_TRUE(parts.sticks || parts.texts) << "a due frame with nothing in it";
            frames.push_back({at, parts});
        }
    };
    for (const Change &change : changes) {
        sendDue(change.at);
        now = change.at;
        schedule.changed(change.part, now);
    }
    sendDue(Time::max());
    return frames;
}

int countOf(const std::vector<Frame> &frames, bool PresentSchedule::Parts::*part)
{
    return int(std::count_if(frames.begin(), frames.end(), [&](const Frame &f) { return f.parts.*part; }));
}

Time shortestGap(const std::vector<Frame> &frames)
{
    Time gap = Time::max();
    for (size_t i = 1; i < frames.size(); ++i)
        gap = std::min(gap, frames[i].at - frames[i - 1].at);
    return gap;
}

// Below the frame rate every report is a frame of its own, at once; the
// texts ride along with every other one instead of costing frames apart.
TEST(PresentSchedule, TwentyReportsASecondAreTwentyFramesWithTheTextsInTen)
{
    const std::vector<Frame> frames = framesOf(reports(1s, 50ms, 40));
    ASSERT_EQ(frames.size(), 41u) << "a frame a report, and the last texts";
    for (size_t i = 0; i < 40; ++i)
        EXPECT_EQ(frames[i].at, 1s + int(i) * 50ms) << "frame " << i;
    EXPECT_EQ(frames.back().at, 1s + 39 * 50ms + 100ms);
    EXPECT_EQ(countOf(frames, &PresentSchedule::Parts::sticks), 40);
    EXPECT_EQ(countOf(frames, &PresentSchedule::Parts::texts), 21);
}

TEST(PresentSchedule, AFastStreamIsAFrameEachFrameIntervalWithTheTextsAboutTenTimesASecond)
{
    for (const Time interval : {Time(10ms), Time(1ms), Time(33ms), Time(37ms)}) {
        SCOPED_TRACE(testing::Message() << "a report every " << interval.count() / 1000 << " us");
        const int count = int(2s / interval);
        const std::vector<Frame> frames = framesOf(reports(0s, interval, count));
        const double seconds = std::chrono::duration<double>(frames.back().at - frames.front().at).count();
        EXPECT_GE(shortestGap(frames), 40ms);
        const double framesPerSecond = double(frames.size()) / seconds;
        EXPECT_GE(framesPerSecond, 20.0);
        EXPECT_LE(framesPerSecond, 26.0);
        const double texts = countOf(frames, &PresentSchedule::Parts::texts) / seconds;
        EXPECT_GE(texts, 10.0);
        EXPECT_LE(texts, 13.0);
    }
}

// However a stream ends, its last sticks go out within a frame and its last
// texts within a refresh.
TEST(PresentSchedule, TheLastReportIsShownSoonAfterTheStreamEnds)
{
    for (const Time interval : {Time(1ms), Time(7ms), Time(21ms), Time(45ms), Time(61ms), Time(85ms)}) {
        for (int count = 1; count < 12; ++count) {
            SCOPED_TRACE(testing::Message() << count << " reports " << interval.count() / 1000 << " us apart");
            const Time last = 1s + (count - 1) * interval;
            const std::vector<Frame> frames = framesOf(reports(1s, interval, count));
            const auto lastWith = [&](bool PresentSchedule::Parts::*part) {
                const auto frame =
                    std::find_if(frames.rbegin(), frames.rend(), [&](const Frame &f) { return f.parts.*part; });
                return frame == frames.rend() ? Time::min() : frame->at;
            };
            EXPECT_GE(lastWith(&PresentSchedule::Parts::sticks), last);
            EXPECT_LE(lastWith(&PresentSchedule::Parts::sticks), last + 40ms);
            EXPECT_GE(lastWith(&PresentSchedule::Parts::texts), last);
            EXPECT_LE(lastWith(&PresentSchedule::Parts::texts), last + 100ms);
        }
    }
}

// A board that sends axis lines and never closes a report still has its
// texts refreshed, each change within a refresh.
TEST(PresentSchedule, TextsAloneAreRefreshedWithinARefresh)
{
    std::vector<Change> changes;
    changes.reserve(300);
    for (int i = 0; i < 300; ++i)
        changes.push_back({i * 3ms, Part::Texts});
    const std::vector<Frame> frames = framesOf(changes);
    EXPECT_EQ(countOf(frames, &PresentSchedule::Parts::sticks), 0);
    EXPECT_GE(shortestGap(frames), 40ms);
    for (const Change &change : changes) {
        const auto shown =
            std::find_if(frames.begin(), frames.end(), [&](const Frame &f) { return f.at >= change.at; });
        ASSERT_NE(shown, frames.end());
        EXPECT_LE(shown->at - change.at, 100ms);
    }
}

} // namespace
