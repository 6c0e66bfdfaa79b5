#include "support/eventloop.h"
#include "support/monitor.h"
#include "tools/boardsim.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

namespace {

// Where a stick view draws its square: the pixels in the view's base
// colour, which only the square has.
QRect squareOf(StickView &view)
{
    const QImage image = view.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QRgb base = view.palette().base().color().rgb();
    QRect square;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) == base)
                square |= QRect(x, y, 1, 1);
    return square;
}

} // namespace

// The monitor polls a simulated board through the real serial layer, its
// details window open.
TEST(DetailsEndToEnd, ThePlotMovesAndTheSticksStaySquareAsTheWindowGrows)
{
    BoardSimulator board;
    Monitor monitor({board.slavePath()});
    DetailsWindow &details = monitor.program.details();
    details.resize(1000, 740);
    monitor.program.start();
    monitor.program.showDetails();
    ASSERT_TRUE(runUntil([&] { return monitor.link.state() == LinkState::Polling; }, 10s));
    runFor(1s);
    const QImage plot = details.plot().grab().toImage();
    runFor(1s);
    EXPECT_NE(details.plot().grab().toImage(), plot) << "the plot stands still";

    const QRect small = squareOf(details.stick(0));
    details.resize(1600, 1100);
    EXPECT_TRUE(runUntil([&] { return details.stick(0).width() > small.width() + 100; }));
    for (int index : {0, 1}) {
        const QRect large = squareOf(details.stick(index));
        EXPECT_GT(large.width(), small.width() * 5 / 4) << "stick " << index;
        EXPECT_NEAR(large.width(), large.height(), 1) << "stick " << index;
    }
    EXPECT_NEAR(small.width(), small.height(), 1);
}
