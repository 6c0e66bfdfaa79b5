#include "support/qtprinters.h"
#include "window/picturebox.h"
#include "window/vbcolor.h"

#include <gtest/gtest.h>

namespace {

const QColor kRed(255, 0, 0);

// A 66 x 66 pixel box: a 64 x 64 drawing area inside a one-pixel border,
// so one pixel is 16 drawing units.
struct Box : ::testing::Test {
    PictureBox box;

    Box()
    {
        box.resize(66, 66);
        box.Cls();
    }

    QColor at(int x, int y) const { return box.drawing().pixelColor(x, y); }
    QColor background() const { return vbcolor::toQColor(vbcolor::kSystemWindow); }
    int count(const QColor &color) const
    {
        const QImage image = box.drawing();
        int n = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                n += image.pixelColor(x, y) == color;
        return n;
    }
};

} // namespace

TEST_F(Box, DrawingAreaIsTheInsideOfTheBorderFilledWithTheBackground)
{
    EXPECT_EQ(box.drawing().size(), QSize(64, 64));
    EXPECT_EQ(count(background()), 64 * 64);
}

TEST_F(Box, LineJoinsItsCornersAndClearErasesEverything)
{
    box.Line(-100, 160, 2000, 160, vbcolor::kRed);
    EXPECT_EQ(count(kRed), 64);
    for (int x = 0; x < 64; ++x)
        EXPECT_EQ(at(x, 10), kRed) << x;
    box.Cls();
    EXPECT_EQ(count(kRed), 0);
}

TEST_F(Box, WhatWasDrawnSurvivesARepaint)
{
    box.Circle(512, 512, 128, vbcolor::kRed);
    box.show();
    box.repaint();
    const QImage shown = box.grab().toImage();
    EXPECT_EQ(shown.pixelColor(41, 33), kRed);
    EXPECT_EQ(shown.pixelColor(33, 33), background());
}
