#include "tests/support/eventloop.h"
#include "tests/support/pixels.h"
#include "tests/support/qtprinters.h"
#include "window/picturebox.h"
#include "window/vbcolor.h"

#include <QCoreApplication>
#include <QPaintEvent>
#include <QRegion>

#include <algorithm>

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
        const QImage image = box.drawing().convertToFormat(QImage::Format_RGB32);
        const auto *pixels = reinterpret_cast<const QRgb *>(image.constBits());
        return int(std::count(pixels, pixels + image.width() * image.height(), color.rgb()));
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

// Collects the regions of the paint events a widget receives.
class PaintedRegion : public QObject {
public:
    explicit PaintedRegion(QWidget &widget) { widget.installEventFilter(this); }

    QRegion region;
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            region += static_cast<QPaintEvent *>(event)->region();
            ++paints;
        }
        return false;
    }
};

// The box in its own window, repainting through Qt's usual path: updates
// collected, then only the dirty region painted and flushed.
struct ShownBox : Box {
    PaintedRegion painted{box};

    ShownBox()
    {
        box.show();
        runUntil([this] { return painted.paints > 0; });
        QCoreApplication::processEvents();
    }

    // Lets the box repaint what changed; returns the region it painted.
    QRegion repaintChanges()
    {
        painted.region = QRegion();
        QCoreApplication::sendPostedEvents();
        return painted.region;
    }

    QImage paintedAfresh() { return comparable(box.grab().toImage()); }

    // A point of the box at a fraction of its width and height.
    QPoint at(double x, double y) const { return QPoint(int(box.width() * x), int(box.height() * y)); }
};

// Scene `i` of many: the box cleared, then circles of all sizes all over
// it and past its edges, now and then a line across it, now and then
// nothing.
void drawScene(PictureBox &box, int i)
{
    box.Cls();
    if (i % 9 != 0)
        box.Circle(float(i * 37 % 1200 - 90), float(i * 53 % 1200 - 90), float(5 + i * 71 % 700),
                   i % 2 ? vbcolor::kRed : vbcolor::kBlue);
    if (i % 5 == 0)
        box.Line(float(i * 13 % 1250 - 110), float(i * 29 % 1250 - 110), float(i * 31 % 1250 - 110),
                 float(i * 17 % 1250 - 110), vbcolor::kRed);
}

} // namespace

TEST_F(Box, DrawingAreaIsTheInsideOfTheBorderAndClearErasesEverything)
{
    EXPECT_EQ(box.drawing().size(), QSize(64, 64));
    EXPECT_EQ(count(background()), 64 * 64);
    box.Line(-100, 160, 2000, 160, vbcolor::kRed);
    EXPECT_EQ(count(kRed), 64);
    for (int x = 0; x < 64; ++x)
        EXPECT_EQ(at(x, 10), kRed) << x;
    box.Cls();
    EXPECT_EQ(count(background()), 64 * 64);
}

// What was drawn is what the box shows, inside a border of one pixel (or
// the pixel density's) on every side.
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

// After each scene the box must hold just that scene, and the screen must
// show it as a full repaint would: nothing left of the scene before.
TEST_F(ShownBox, RedrawingLeavesNothingOfTheLastDrawingOnScreen)
{
    for (int i = 0; i < 200 && !HasFailure(); ++i) {
        SCOPED_TRACE(testing::Message() << "scene " << i);
        drawScene(box, i);
        repaintChanges();
        PictureBox fresh;
        fresh.resize(box.size());
        drawScene(fresh, i);
        EXPECT_TRUE(box.drawing() == fresh.drawing()) << "the box holds more than the scene";
        EXPECT_TRUE(onScreen(box) == paintedAfresh()) << "the screen is not what a full repaint shows";
    }
}

TEST_F(ShownBox, RepaintsOnlyAroundWhatChangedAndNothingForABlankBoxCleared)
{
    const int shown = painted.paints;
    box.Cls();
    repaintChanges();
    EXPECT_EQ(painted.paints, shown) << "cleared, never drawn on";

    // Drawn, then nudged: only the top-left quarter each time.
    for (const auto &[x, y] : {std::pair{200.f, 200.f}, std::pair{260.f, 240.f}}) {
        box.Cls();
        box.Circle(x, y, 100, vbcolor::kRed);
        const QRegion region = repaintChanges();
        EXPECT_TRUE(region.contains(at(0.2, 0.2))) << x;
        EXPECT_TRUE(region.subtracted(QRect(QPoint(0, 0), at(0.5, 0.5))).isEmpty()) << x;
    }

    box.Cls();
    box.Circle(800, 800, 100, vbcolor::kRed);
    const QRegion moved = repaintChanges();
    EXPECT_TRUE(moved.contains(at(0.25, 0.23))) << "the old circle cleared";
    EXPECT_TRUE(moved.contains(at(0.8, 0.8))) << "the new one drawn";

    box.Circle(512, 512, 128, vbcolor::kRed);
    box.Cls();
    repaintChanges();
    const int cleared = painted.paints;
    box.Cls();
    box.Cls();
    repaintChanges();
    EXPECT_EQ(painted.paints, cleared) << "cleared already";
}
