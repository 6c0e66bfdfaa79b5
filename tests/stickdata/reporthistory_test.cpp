#include "stickdata/reporthistory.h"
#include "stickdata/traveloutline.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace std::chrono_literals;
using Time = ReportHistory::Time;

namespace {

Report report(int16_t a0, bool a4 = false)
{
    return {.number = 0, .coordinates = {a0, 0, 0, 0}, .pressed = {a4, false}};
}

TEST(ReportHistory, ReportsWithinTheResolutionShareASampleAndAFloodKeepsTheWholeSpanInItsCapacity)
{
    ReportHistory history(1s, 1ms);
    history.add(10ms, report(500));
    history.add(10ms + 300us, report(900, true));
    history.add(10ms + 600us, report(100));
    history.add(11ms, report(42));
    const Ring<HistorySample> &samples = history.samples();
    ASSERT_EQ(samples.size(), 2u);
    EXPECT_EQ(samples[0].at, 10ms);
    EXPECT_EQ(samples[0].low[0], 100);
    EXPECT_EQ(samples[0].high[0], 900);
    EXPECT_EQ(samples[0].last[0], 100);
    EXPECT_EQ(samples[0].high[4], 1) << "a press inside the sample survives";
    EXPECT_EQ(samples[0].last[4], 0);
    EXPECT_EQ(samples[1].last[0], 42);

    // A flood keeps the whole span in the capacity the history was made with.
    ReportHistory flooded(2s, 1ms);
    const size_t capacity = flooded.samples().capacity();
    Time at = 0s;
    for (int i = 0; i < 500'000; ++i, at += 20us)
        flooded.add(at, report(int16_t(i % 1024)));
    EXPECT_EQ(flooded.samples().capacity(), capacity);
    EXPECT_EQ(flooded.samples().size(), capacity);
    EXPECT_LE(flooded.samples()[0].at, at - 2s) << "the oldest sample is at least the span old";
    const size_t first = flooded.firstFrom(at - 1s);
    EXPECT_GE(flooded.samples()[first].at, at - 1s);
    EXPECT_LT(flooded.samples()[first - 1].at, at - 1s);
}

// Samples 10 ms apart from 0 with A0 = 100, one of them 1000.
ReportHistory steadyWithSpikeAt(Time spike)
{
    ReportHistory history(30s, 1ms);
    for (Time at = 0s; at < 10s; at += 10ms)
        history.add(at, report(at == spike ? 1000 : 100));
    return history;
}

// Counted from any whole column, the columns agree with those counted
// from the start.
TEST(PlotColumns, ColumnsKeepTheirSamplesExtremesSoAOneSampleSpikeSurvivesWhereverTheyAreCountedFrom)
{
    const ReportHistory history = steadyWithSpikeAt(4'510ms);
    const std::vector<PlotColumn> columns = plotColumns(history, 0s, 1s, 10, 1s);
    ASSERT_EQ(columns.size(), 10u);
    for (size_t i = 0; i < columns.size(); ++i) {
        EXPECT_FALSE(columns[i].empty);
        EXPECT_EQ(columns[i].low[0], 100) << i;
        EXPECT_EQ(columns[i].high[0], i == 4 ? 1000 : 100) << i;
    }
    const Time width = 33'333'333ns;
    const std::vector<PlotColumn> whole = plotColumns(history, 0s, width, 300, 1s);
    const std::vector<PlotColumn> part = plotColumns(history, 135 * width, width, 10, 1s);
    for (size_t i = 0; i < part.size(); ++i) {
        EXPECT_EQ(part[i].low, whole[135 + i].low) << i;
        EXPECT_EQ(part[i].high, whole[135 + i].high) << i;
    }
}

TEST(PlotColumns, SparseSamplesKeepTheirOwnColumnsAndASilenceBreaksTheLine)
{
    ReportHistory history(30s, 1ms);
    for (const Time at : {100ms, 300ms, 500ms, 2'500ms})
        history.add(at, report(int16_t(at.count() / 1'000'000)));
    const std::vector<PlotColumn> columns = plotColumns(history, 0s, 100ms, 30, 1s);
    EXPECT_EQ(std::count_if(columns.begin(), columns.end(), [](const PlotColumn &c) { return !c.empty; }), 4);
    EXPECT_EQ(columns[3].first[0], 300);
    EXPECT_FALSE(columns[1].joinsPrevious) << "the first sample has nothing before it";
    EXPECT_TRUE(columns[5].joinsPrevious);
    EXPECT_FALSE(columns[25].joinsPrevious) << "two seconds of silence before it";
    EXPECT_TRUE(plotColumns(history, 3s, 100ms, 30, 1s)[0].empty) << "nothing after the newest";
}

TEST(TravelOutline, KeepsTheFurthestPositionInEachDirectionAndSaysHowFarItMovedOut)
{
    TravelOutline outline;
    EXPECT_EQ(outline.add(QPoint(512, 512)), 0) << "the centre has no direction";
    EXPECT_EQ(outline.add(QPoint(540, 480)), 0) << "a stick at rest has no reach";
    for (int turn = 0; turn < 2; ++turn)
        for (int step = 0; step < 720; ++step) {
            const double angle = 2 * std::numbers::pi * step / 720;
            const double radius = turn == 0 ? 200 : 400;
            outline.add(QPoint(int(std::lround(512 + radius * std::cos(angle))),
                               int(std::lround(512 + radius * std::sin(angle)))));
        }
    const std::vector<QPoint> points = outline.outline();
    ASSERT_EQ(points.size(), size_t(TravelOutline::kDirections));
    for (const QPoint &point : points)
        EXPECT_NEAR(std::hypot(point.x() - 512, point.y() - 512), 400, 1);
    EXPECT_EQ(outline.add(QPoint(512 + 300, 512)), 0) << "inside the outline";
    EXPECT_NEAR(outline.add(QPoint(512 + 450, 512)), 50, 1);
    outline.clear();
    EXPECT_TRUE(outline.outline().empty());
}

} // namespace
