#include "session/boardlines.h"
#include "tests/support/eventloop.h"
#include "tests/support/fakelink.h"
#include "tests/support/pixels.h"
#include "tests/support/qtprinters.h"
#include "tests/support/virtualclock.h"
#include "window/vbcolor.h"
#include "window/ventana.h"

#include <QColor>
#include <QImage>
#include <QRect>
#include <QToolTip>
#include <QWindow>

#include <gtest/gtest.h>

#include <memory>

using namespace std::chrono_literals;

namespace {

const QColor kRed = vbcolor::toQColor(vbcolor::kRed);
const QColor kBlue = vbcolor::toQColor(vbcolor::kBlue);

// A 990-twip box inside its border is 64 x 64 pixels: 16 units a pixel, so
// the radius of 128 units is 8 pixels and a ring spans 17 pixels.
constexpr int kRingPixels = 17;

// True when the image holds `color` and not the other stick colour.
bool drawnOnlyIn(const QImage &image, const QColor &color)
{
    return !pixelsOf(image, color).isEmpty() && pixelsOf(image, color == kRed ? kBlue : kRed).isEmpty();
}

void expectRingAt(const QImage &image, QPoint centre, const QColor &colour = kRed)
{
    const QRect ring = pixelsOf(image, colour);
    EXPECT_NEAR(ring.center().x(), centre.x(), 1);
    EXPECT_NEAR(ring.center().y(), centre.y(), 1);
    EXPECT_NEAR(ring.width(), kRingPixels, 1);
    EXPECT_NEAR(ring.height(), kRingPixels, 1);
}

QStringList report(int x0, int y0, int x1, int y1, const char *right = "1", const char *left = "1")
{
    return {QStringLiteral("A0 %1").arg(x0),
            QStringLiteral("A1 %1").arg(y0),
            QStringLiteral("A2 %1").arg(x1),
            QStringLiteral("A3 %1").arg(y1),
            QStringLiteral("A4 ") + QLatin1StringView(right),
            QStringLiteral("A5 ") + QLatin1StringView(left)};
}

// The window over a link the test speaks for, presenting a model the test
// applies lines to; shown or hidden, it behaves alike. Its frames go by a
// clock the test moves on.
class LinkView : public testing::TestWithParam<bool> {
protected:
    LinkView()
    {
        if (GetParam()) {
            window.show();
            runUntil([&] { return window.windowHandle()->isExposed(); });
        }
    }

    // Applies `lines` and lets two text refreshes pass: a change is shown
    // within one.
    void receive(const QStringList &lines)
    {
        apply(lines);
        clock->runFor(std::chrono::duration_cast<std::chrono::milliseconds>(2 * PresentTiming().textRefresh));
    }

    void apply(const QStringList &lines)
    {
        for (const QString &line : lines)
            emit link.lineReceived(line);
    }

    const std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    FakeLink link;
    BoardLines lines{link, clock};
    ventana window{link, lines, clock};
};

INSTANTIATE_TEST_SUITE_P(ShownOrHidden, LinkView, testing::Bool(),
                         [](const auto &info) { return info.param ? "Shown" : "Hidden"; });

TEST_P(LinkView, EachLineFillsItsOwnBox)
{
    EXPECT_EQ(window.vA0->text(), "Text1") << "a box keeps its caption until its first line";
    receive({"A0 100", "A1 12.5", "A2 -3", "A3 7x", "A4 0", "A5 1"});
    EXPECT_EQ(window.vA0->text(), "100");
    EXPECT_EQ(window.vA1->text(), "12.5");
    EXPECT_EQ(window.vA2->text(), "-3");
    EXPECT_EQ(window.vA3->text(), "7x");
    EXPECT_TRUE(window.vA4->isChecked());
    EXPECT_FALSE(window.vA5->isChecked());

    receive({"A1  512", "A4 1", "A5 0", "JOYSTICK"});
    EXPECT_EQ(window.vA1->text(), "") << "an empty value field is shown as it is";
    EXPECT_TRUE(window.vA5->isChecked());
}

TEST_P(LinkView, ShowsTheLinkTextsAndThePortProblemAsTheConsoleTooltip)
{
    emit link.infoChanged("Conectado COM 3");
    emit link.consoleChanged("OK COM 3");
    emit link.problemChanged("COM3 (/dev/ttyUSB0): busy");
    EXPECT_EQ(window.Info->text(), "Conectado COM 3");
    EXPECT_EQ(window.Bconsola->text(), "OK COM 3");
    EXPECT_EQ(window.Bconsola->toolTip(), "COM3 (/dev/ttyUSB0): busy");

    emit link.problemChanged("COM3 (/dev/" + QString(600, 'x') + "): busy");
    EXPECT_LT(window.Bconsola->toolTip().size(), 100) << "a long path is shortened to fit on the screen";

    emit link.problemChanged(QString());
    EXPECT_TRUE(window.Bconsola->toolTip().isEmpty());
    EXPECT_EQ(window.Bconsola->text(), "OK COM 3");

    window.bResultado->setText("old");
    emit link.polled();
    EXPECT_TRUE(window.bResultado->text().isEmpty()) << "every poll clears the result";
}

// A reason in view in the tooltip follows the link at once: a connection
// that succeeds leaves no failure on screen.
TEST(ConsoleTooltip, InViewFollowsTheReasonAtOnce)
{
    FakeLink link;
    BoardLines lines{link};
    ventana window(link, lines);
    window.show();
    emit link.problemChanged("COM2: no such port");
    QToolTip::showText(window.Bconsola->mapToGlobal(QPoint(4, 4)), window.Bconsola->toolTip(), window.Bconsola);
    if (!QToolTip::isVisible())
        GTEST_SKIP() << "no tooltip is shown on this platform";

    emit link.problemChanged("COM1 (/dev/ttyACM0): busy");
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), "COM1 (/dev/ttyACM0): busy");
    emit link.problemChanged(QString());
    EXPECT_TRUE(runUntil([] { return !QToolTip::isVisible(); }));
}

// The test line stays however the report before it was shown: drawn at
// once or still waiting for its frame.
TEST_P(LinkView, TheTestButtonAsksForARequestAndDrawsTheTestLineAlone)
{
    for (const bool waitForReport : {true, false}) {
        SCOPED_TRACE(waitForReport ? "report shown first" : "report still waiting");
        apply(report(512, 512, 896, 256, "1", "0"));
        if (waitForReport)
            receive({});
        window.bResultado->setText("old");
        window.Command1->click();
        receive({});

        EXPECT_TRUE(window.bResultado->text().isEmpty());
        const QImage drawing = window.Picture1->drawing();
        EXPECT_EQ(drawing.pixelColor(1, 1), kRed);
        EXPECT_EQ(drawing.pixelColor(2, 2), kRed);
        EXPECT_TRUE(QRect(0, 0, 4, 4).contains(pixelsOf(drawing, kRed))) << "only the line, near the top-left corner";
        EXPECT_TRUE(pixelsOf(drawing, kBlue).isEmpty()) << "the picture is cleared first";
        expectRingAt(window.Picture2->drawing(), {56, 16});
    }
    EXPECT_EQ(link.requests, 2);
}

// Each stick's circle in the middle of its box for a centred stick, in the
// colour of its own button.
TEST_P(LinkView, ButtonsColourTheirOwnStick)
{
    struct Case {
        const char *right;
        const char *left;
        QColor rightColor;
        QColor leftColor;
    };
    const Case cases[] = {{"1", "1", kRed, kRed}, {"0", "1", kBlue, kRed}, {"1", "0", kRed, kBlue}};
    for (const Case &c : cases) {
        SCOPED_TRACE(std::string("A4 ") + c.right + ", A5 " + c.left);
        receive(report(512, 512, 512, 512, c.right, c.left));
        EXPECT_TRUE(drawnOnlyIn(window.Picture2->drawing(), c.rightColor));
        EXPECT_TRUE(drawnOnlyIn(window.Picture1->drawing(), c.leftColor));
    }
    const QImage left = window.Picture1->drawing();
    ASSERT_EQ(left.size(), QSize(64, 64));
    expectRingAt(left, {32, 32}, kBlue);
    EXPECT_EQ(left.pixelColor(32, 32), vbcolor::toQColor(vbcolor::kSystemWindow)) << "the circle is filled";
}

// A click stands until a line overwrites it, whichever came first within
// a frame; only the "A5" line redraws, with the buttons as they stand.
TEST_P(LinkView, AClickCountsUntilTheNextLineOfItsButton)
{
    const QImage blank = window.Picture2->drawing();
    receive({"A2 512", "A3 512", "A4 1"});
    EXPECT_EQ(window.Picture2->drawing(), blank);

    window.vA4->click();
    receive({"A5 1"});
    EXPECT_TRUE(drawnOnlyIn(window.Picture2->drawing(), kBlue)) << "the user's click was lost";

    receive({"A4 1", "A5 1"});
    EXPECT_TRUE(drawnOnlyIn(window.Picture2->drawing(), kRed));

    apply({"A4 1"});
    window.vA4->click();
    receive({"A5 1"});
    EXPECT_TRUE(drawnOnlyIn(window.Picture2->drawing(), kBlue)) << "a line before the click overwrote it";

    window.vA4->click();
    apply({"A4 0"});
    receive({"A5 1"});
    EXPECT_TRUE(window.vA4->isChecked());
    EXPECT_TRUE(drawnOnlyIn(window.Picture2->drawing(), kBlue)) << "a line after the click did not overwrite it";
}

TEST_P(LinkView, AStickOutsideTheBoxIsClipped)
{
    // Centres in units and the pixels that geometry leaves visible: 100 units
    // (6.25 pixels) outside leaves an arc within 2 pixels of the edge and 5
    // either side of the centre line; 200 units outside leaves nothing.
    const std::pair<QPoint, QRect> cases[] = {
        {{-100, 512}, QRect(QPoint(0, 27), QPoint(1, 37))},
        {{1100, 512}, QRect(QPoint(61, 26), QPoint(63, 38))},
        {{512, -100}, QRect(QPoint(27, 0), QPoint(37, 1))},
        {{1024, 1024}, QRect(QPoint(56, 56), QPoint(63, 63))},
        {{-200, 512}, QRect()},
        {{1200, 1200}, QRect()},
        {{32767, -32768}, QRect()},
    };
    for (const auto &[centre, expected] : cases) {
        SCOPED_TRACE(testing::Message() << "centre " << centre.x() << ", " << centre.y());
        receive(report(centre.x(), centre.y(), 512, 512));
        const QRect drawn = pixelsOf(window.Picture1->drawing(), kRed);
        ASSERT_EQ(drawn.isEmpty(), expected.isEmpty());
        if (!expected.isEmpty()) {
            EXPECT_NEAR(drawn.left(), expected.left(), 1);
            EXPECT_NEAR(drawn.top(), expected.top(), 1);
            EXPECT_NEAR(drawn.right(), expected.right(), 1);
            EXPECT_NEAR(drawn.bottom(), expected.bottom(), 1);
        }
    }
}

// A fast stream is shown a frame at a time, its texts less often, and the
// last report in full, in its colours.
TEST_P(LinkView, AFastStreamIsShownAtMostOnceAFrameAndEndsOnItsLastReport)
{
    int picturesDrawn = 0;
    int textsSet = 0;
    // The connection ends with the counter, not with the fixture's window.
    QObject receiver;
    QObject::connect(window.vA0, &QLineEdit::textChanged, &receiver, [&] { ++textsSet; });
    // Five reports a frame, the left button changing with each: every frame
    // draws a picture unlike the one before.
    constexpr int kReports = 200;
    constexpr auto kGap = 8ms;
    QImage shown = window.Picture1->drawing();
    for (int i = 0; i < kReports; ++i) {
        const bool leftPressed = i % 2 == 1;
        apply(report(i, 1023 - i, 512, 512, "1", leftPressed ? "0" : "1"));
        clock->runFor(kGap);
        if (window.Picture1->drawing() != shown) {
            shown = window.Picture1->drawing();
            ++picturesDrawn;
        }
    }
    receive({});
    // The pictures once a frame while the stream lasts, with room for the
    // first and the last; the texts less often.
    const auto frames = kReports * std::chrono::nanoseconds(kGap) / PresentTiming().frame;
    EXPECT_GE(picturesDrawn, frames / 2) << "the stream was hardly shown while it lasted";
    EXPECT_LE(picturesDrawn, 2 + frames);
    EXPECT_LT(textsSet, picturesDrawn);
    EXPECT_EQ(window.vA0->text(), QString::number(kReports - 1));
    EXPECT_EQ(window.vA1->text(), QString::number(1023 - (kReports - 1)));
    const QImage left = window.Picture1->drawing();
    EXPECT_TRUE(drawnOnlyIn(left, kBlue));
    EXPECT_NEAR(pixelsOf(left, kBlue).center().y(), (1023 - (kReports - 1)) / 16.0, 1);
}

// After a quiet spell the first change goes out with no time passing, not
// at a frame timer.
TEST_P(LinkView, AChangeAfterAQuietSpellIsShownAtOnce)
{
    clock->runFor(150ms);
    int paints = 0;
    const PaintWatch watch(window.Picture1, [&] { ++paints; });
    apply(report(300, 700, 512, 512));
    clock->runFor(0ms);
    for (int pass = 0; pass < 3; ++pass) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(window.vA0->text(), "300") << "the text waited for a frame timer";
    EXPECT_FALSE(pixelsOf(window.Picture1->drawing(), kRed).isEmpty()) << "the sticks waited for a frame timer";
    if (GetParam()) {
        EXPECT_GE(paints, 1) << "the paint waited for a frame timer";
    }
}

} // namespace
