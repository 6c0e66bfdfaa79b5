#include "tests/support/eventloop.h"
#include "tests/support/monitor.h"
#include "tests/support/parts.h"
#include "tests/support/pixels.h"
#include "tools/boardsim.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Where a stick view draws its square: the pixels in the view's base
// colour, which only the square has.
QRect squareOf(StickView &view)
{
    return pixelsOf(view.grab().toImage().convertToFormat(QImage::Format_RGB32), view.palette().base().color());
}

} // namespace

// The monitor polls a simulated board through the real serial layer, its
// details window open.
TEST(DetailsEndToEnd, ThePlotMovesAndTheSticksStaySquareAsTheWindowGrows)
{
    BoardSimulator board;
    Monitor monitor({board.slavePath()});
    DetailsWindow &details = monitor.program.details();
    HistoryPlot &plot = partNamed<HistoryPlot>(details, "plot");
    StickView &left = partNamed<StickView>(details, "left stick");
    details.resize(1000, 740);
    monitor.program.start();
    monitor.program.showDetails();
    ASSERT_TRUE(runUntil([&] { return monitor.link.state() == LinkState::Polling; }));
    ASSERT_TRUE(runUntil([&] { return monitor.model.lastReport().number >= 5; })) << "a second of reports to plot";
    const QImage before = plot.grab().toImage();
    EXPECT_TRUE(runUntil([&] { return plot.grab().toImage() != before; })) << "the plot stands still";

    const QRect small = squareOf(left);
    details.resize(1600, 1100);
    EXPECT_TRUE(runUntil([&] { return left.width() > small.width() + 100; }));
    for (const char *name : {"left stick", "right stick"}) {
        const QRect large = squareOf(partNamed<StickView>(details, name));
        EXPECT_GT(large.width(), small.width() * 5 / 4) << name;
        EXPECT_NEAR(large.width(), large.height(), 1) << name;
    }
    EXPECT_NEAR(small.width(), small.height(), 1);
}
