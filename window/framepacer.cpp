#include "window/framepacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace std::chrono_literals;

namespace {

// Used when the screen does not tell its refresh rate.
constexpr double kFallbackFramesPerSecond = 60;
// The shortest frame: about 33 frames a second are smooth enough for a
// stick's circle and two number boxes, and each frame costs a paint and a
// flush to the display server.
constexpr auto kShortestFrame = 30ms;

} // namespace

std::chrono::nanoseconds FramePacer::steadyTime()
{
    return std::chrono::steady_clock::now().time_since_epoch();
}

FramePacer::FramePacer(QWidget &window, Clock clock)
    : window_(window)
    , clock_(std::move(clock))
{
    heldUpdate_.setSingleShot(true);
    heldUpdate_.setTimerType(Qt::PreciseTimer);
    connect(&heldUpdate_, &QTimer::timeout, this, &FramePacer::releaseHeldUpdate);
    window_.installEventFilter(this);
}

std::chrono::nanoseconds FramePacer::frameInterval() const
{
    const QScreen *screen = window_.screen();
    const double rate = screen && screen->refreshRate() > 0 ? screen->refreshRate() : kFallbackFramesPerSecond;
    return std::max<std::chrono::nanoseconds>(std::chrono::nanoseconds(std::llround(1e9 / rate)), kShortestFrame);
}

// A request Qt posts itself goes the same way; one of them stands for both.
void FramePacer::requestFrame()
{
    if (frameRequested_)
        return;
    frameRequested_ = true;
    QCoreApplication::postEvent(&window_, new QEvent(QEvent::UpdateRequest), Qt::LowEventPriority);
}

// The clock is read once per request: read again, it could have moved on
// past the end of the frame (the process was preempted) and leave a wait
// below zero, for which a timer never fires.
bool FramePacer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &window_ || event->type() != QEvent::UpdateRequest)
        return false;
    if (releasing_) {
        letFrameOut(clock_());
        return false;
    }
    if (heldUpdate_.isActive())
        return true;
    const std::chrono::nanoseconds now = clock_();
    const std::chrono::nanoseconds wait = untilNextFrame(now);
    if (wait == 0ns) {
        letFrameOut(now);
        return false;
    }
    heldUpdate_.start(std::chrono::ceil<std::chrono::milliseconds>(wait));
    return true;
}

// How long from `now` until the window may reach the screen again; zero
// when it may now.
std::chrono::nanoseconds FramePacer::untilNextFrame(std::chrono::nanoseconds now) const
{
    if (!lastFrame_)
        return 0ns;
    return std::max(0ns, frameInterval() - (now - *lastFrame_));
}

// What the window changes now is painted with the frame: the request has
// not reached the window yet.
void FramePacer::letFrameOut(std::chrono::nanoseconds now)
{
    lastFrame_ = now;
    frameRequested_ = false;
    if (prepare_)
        prepare_();
}

// Qt posts no new request while the window has updates waiting to be
// painted, so the held one stands for all of them; sending it paints them.
void FramePacer::releaseHeldUpdate()
{
    const QScopedValueRollback releasing(releasing_, true);
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(&window_, &request);
}
