#include "tests/support/pixels.h"
#include "tests/support/virtualclock.h"
#include "window/details/historyplot.h"
#include "window/details/rawlinesview.h"
#include "window/details/stickview.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QImage>
#include <QScrollBar>

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <numbers>

using namespace std::chrono_literals;
using Time = ReportHistory::Time;

namespace {

Report reportAt(QPointF left, int16_t a2 = 512, bool leftPressed = false)
{
    return {.number = 0,
            .coordinates = {int16_t(left.x()), int16_t(left.y()), a2, 300},
            .pressed = {false, leftPressed}};
}

QPointF onCircle(double turns, double radius = 400)
{
    const double angle = 2 * std::numbers::pi * turns;
    return {512 + radius * std::cos(angle), 512 + radius * std::sin(angle)};
}

// The views' frames go by a clock the test moves on.
struct Views : testing::Test {
    const std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    RecentReports recent;
    LineLog log;
};

// A widget in a window of its own, painted through Qt's usual path: the
// updates a frame asks for, then only the dirty region painted. Paints of
// `painted` (the view itself unless given) for grab() are not counted.
struct Shown : QObject {
    VirtualClock &clock;
    QWidget &view;
    int paints = 0;
    bool grabbing = false;

    Shown(VirtualClock &time, QWidget &shown, QWidget *painted = nullptr)
        : clock(time)
        , view(shown)
    {
        (painted ? painted : &view)->installEventFilter(this);
        view.show();
        for (int i = 0; i < 100 && paints == 0; ++i)
            QCoreApplication::processEvents();
    }

    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint && !grabbing;
        return false;
    }

    // Lets the next frame go out, moving time on until a paint, up to `limit`.
    void frame(std::chrono::milliseconds limit = 1s)
    {
        const int before = paints;
        clock.runUntil([&] { return paints > before; }, limit);
    }

    // The view painted whole afresh, to compare with what is on screen.
    QImage afresh()
    {
        grabbing = true;
        QImage image = comparable(view.grab().toImage());
        grabbing = false;
        return image;
    }
};

struct HistoryPlots : Views {
    void add(Time at, const Report &report)
    {
        recent.add(at, report);
        plot.showNewReports();
    }

    HistoryPlot plot{recent.history(), clock};
};

// The plot scrolls its traces and paints only the new columns; whatever it
// leaves on screen must be what painting it whole shows, however the
// reports come: fast, slow, with silences and spikes.
TEST_F(HistoryPlots, ScrollingLeavesOnScreenWhatAFullRepaintShows)
{
    plot.resize(500, 260);
    Shown shown(*clock, plot);
    Time at = 10s;
    for (int frame = 0; frame < 60 && !testing::Test::HasFailure(); ++frame) {
        const Time step = frame % 20 == 10 ? 3s : frame % 3 == 0 ? 1ms : 70ms;
        for (Time end = at + 45ms; at < end; at += step)
            add(at, reportAt(onCircle(double(at.count()) / 3e9), int16_t(frame % 7 == 0 ? 1000 : 500), frame % 4 < 2));
        shown.frame();
        EXPECT_TRUE(onScreen(shown.view) == shown.afresh()) << "frame " << frame;
    }
}

// A thousand reports a second, five at a time.
TEST_F(HistoryPlots, RepaintsAtMostAboutTwentyFiveTimesASecondAndNotWhileNothingChanges)
{
    plot.resize(400, 200);
    Shown shown(*clock, plot);
    Time at = 0s;
    shown.paints = 0;
    for (int step = 0; step < 200; ++step) {
        for (int i = 0; i < 5; ++i, at += 1ms)
            add(at, reportAt({double(at.count() % 1000), 300}));
        clock->runFor(5ms);
    }
    EXPECT_GE(shown.paints, 20);
    EXPECT_LE(shown.paints, 30);
    shown.paints = 0;
    clock->runFor(500ms);
    EXPECT_LE(shown.paints, 1) << "more than the last frame after the reports stopped";
    plot.resize(3, 3);
    EXPECT_FALSE(plot.grab().isNull()) << "however small";
}

// Two seconds along a line from the left, then two back: the outline takes
// in the whole line; the trail only the last two seconds.
struct StickViews : Views {
    void add(Time at, const Report &report)
    {
        recent.add(at, report);
        for (StickView *view : {&left, &right})
            view->showNewReport(at);
    }

    StickView left{recent, 0, clock};
    StickView right{recent, 1, clock};
};

TEST_F(StickViews, TheTrailFadesAfterTwoSecondsAndTheOutlineStays)
{
    const auto bluish = [](QColor c) { return c.blue() > c.red() + 40 && c.blue() > c.green() + 20; };
    const auto greenish = [](QColor c) { return c.green() > c.red() + 30 && c.green() > c.blue() + 20; };
    const auto orange = [](QColor c) { return c.red() > 200 && c.green() > 80 && c.green() < 180 && c.blue() < 80; };
    StickView &stick = left;
    stick.resize(256, 256);
    const auto pixel = [](double units) { return int(4 + units * 248 / 1024); };
    for (Time at = 0s; at <= 4s; at += 20ms) {
        const double x = at < 2s ? 100 + 0.4 * double(at / 1ms) : 900 - 0.2 * double((at - 2s) / 1ms);
        add(at, reportAt({x, 300}));
    }
    const auto drawn = [&] { return stick.grab().toImage(); };
    QImage image = drawn();
    const QRect oldPart(pixel(120), pixel(300) - 3, pixel(480) - pixel(120), 7);
    const QRect recentPart(pixel(560), pixel(300) - 3, pixel(880) - pixel(560), 7);
    EXPECT_EQ(countIn(image, oldPart, bluish), 0) << "trail older than two seconds";
    EXPECT_GT(countIn(image, oldPart, greenish), 40) << "outline";
    EXPECT_GT(countIn(image, recentPart, bluish), 40) << "trail";
    EXPECT_EQ(countIn(image, stick.rect(), orange), 0) << "a calibration drawn before it is known";

    stick.setCalibration(StickCalibration{{512, 512}, {30, 20}});
    image = drawn();
    EXPECT_GT(countIn(image, QRect(pixel(470), pixel(480), pixel(554) - pixel(470), pixel(544) - pixel(480)), orange),
              20);
    recent.restart();
    stick.showRestart();
    EXPECT_EQ(countIn(drawn(), oldPart, greenish), 0) << "outline left after a reset";
}

// Each frame paints only the steps and the dot that changed.
TEST_F(StickViews, PartialRepaintsLeaveOnScreenWhatAFullRepaintShows)
{
    StickView &stick = right;
    stick.resize(300, 240);
    Shown shown(*clock, stick);
    Time at = 0s;
    for (int frame = 0; frame < 70 && !testing::Test::HasFailure(); ++frame) {
        const Time step = frame == 40 ? 3s : frame % 3 == 0 ? 4ms : 45ms;
        for (Time end = at + 50ms; at < end; at += step) {
            const QPointF right = onCircle(double(at.count()) / 2e9, 200 + frame * 3);
            add(at, {.number = 0,
                     .coordinates = {0, 0, int16_t(right.x()), int16_t(right.y())},
                     .pressed = {frame % 5 == 0, false}});
        }
        shown.frame();
        EXPECT_TRUE(onScreen(shown.view) == shown.afresh()) << "frame " << frame;
    }
}

struct RawLinesViews : Views {
    void add(ReceivedLine line)
    {
        log.add(std::move(line));
        view.showNewLines();
    }

    RawLinesView view{log, clock};
};

TEST_F(RawLinesViews, ShowsTheLastLinesAsReceivedMarkingIgnoredOnesAndEscapingWhatWouldNotShow)
{
    view.resize(400, 200);
    Shown shown(*clock, view, view.viewport());
    const qint64 noon = QDateTime(QDate(2026, 12, 8), QTime(12, 3, 4, 56)).toMSecsSinceEpoch();
    for (int i = 0; i < 600; ++i)
        add({noon, QStringLiteral("A0 %1").arg(i), false});
    add({noon + 1, QString::fromUtf8("x\x01y\u202Ez\u2028"), true});
    add({noon + 2, QString(5000, u'7'), true});
    shown.frame();
    const QStringList lines = view.shownText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), qsizetype(LineLog::kKept));
    EXPECT_EQ(lines[0], QStringLiteral("12:03:04.056   A0 102"));
    EXPECT_EQ(lines[498], QString::fromUtf8("12:03:04.057 \u2717 x\\x01y\\u202ez\\u2028"));
    EXPECT_TRUE(lines[499].endsWith(QStringLiteral("… (5000 characters)"))) << lines[499].toStdString();
    EXPECT_LT(lines[499].size(), 300);
}

// At the newest line the view moves on with each refresh; scrolled up, it
// stays on the lines it shows until they are dropped. Rows already on
// screen are moved, not painted again.
TEST_F(RawLinesViews, FollowsTheNewestLineUnlessScrolledAwayLeavingOnScreenWhatAFullRepaintShows)
{
    view.resize(300, 200);
    Shown shown(*clock, view, view.viewport());
    QScrollBar *scroll = view.verticalScrollBar();
    int line = 0;
    for (int frame = 0; frame < 30 && !testing::Test::HasFailure(); ++frame) {
        if (frame == 15)
            scroll->setValue(scroll->maximum() - 5);
        for (int i = 0; i < (frame % 6 == 0 ? 90 : 7); ++i, ++line)
            add({0, QStringLiteral("line %1").arg(line), line % 11 == 0});
        shown.frame(150ms);
        EXPECT_TRUE(onScreen(shown.view) == shown.afresh()) << "frame " << frame;
        if (frame < 15) {
            EXPECT_EQ(scroll->value(), scroll->maximum());
        }
    }
    EXPECT_LT(scroll->value(), scroll->maximum()) << "the view was pulled back to the newest line";
}

} // namespace
