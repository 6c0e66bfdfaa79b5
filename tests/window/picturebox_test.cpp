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

// How many pixels of `color` run in from `from` along `step` in `image`.
int runOf(const QImage &image, const QColor &color, QPoint from, QPoint step)
{
    int n = 0;
    for (QPoint p = from; image.valid(p) && image.pixelColor(p) == color; p += step)
        ++n;
    return n;
}

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

TEST_F(Box, BorderIsEqualOnEverySideAndFramesTheDrawingPixelForPixel)
{
    box.Circle(512, 512, 128, vbcolor::kRed);
    box.show();
    const QImage shown = box.grab().toImage().convertToFormat(QImage::Format_RGB32);
    const QColor border = shown.pixelColor(0, 0);
    const int last = shown.width() - 1;
    const int middle = shown.width() / 2;
    const int left = runOf(shown, border, {0, middle}, {1, 0});
    const int top = runOf(shown, border, {middle, 0}, {0, 1});
    EXPECT_EQ(left, qMax(1, qRound(box.devicePixelRatioF())));
    EXPECT_EQ(top, left);
    EXPECT_EQ(runOf(shown, border, {last, middle}, {-1, 0}), left);
    EXPECT_EQ(runOf(shown, border, {middle, last}, {0, -1}), left);

    QImage inside = shown.copy(shown.rect().adjusted(left, left, -left, -left));
    inside.setDevicePixelRatio(box.drawing().devicePixelRatio());
    EXPECT_EQ(inside, box.drawing().convertToFormat(QImage::Format_RGB32));
}
