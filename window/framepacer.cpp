#include "window/framepacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QWidget>

#include <cmath>
#include <utility>

namespace {

// Used when the screen does not tell its refresh rate.
constexpr double kFallbackFramesPerSecond = 60;

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
    return std::chrono::nanoseconds(std::llround(1e9 / rate));
}

bool FramePacer::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &window_ || event->type() != QEvent::UpdateRequest)
        return false;
    if (releasing_ || (!heldUpdate_.isActive() && frameIsDue())) {
        lastFrame_ = clock_();
        return false;
    }
    if (!heldUpdate_.isActive()) {
        const auto rest = frameInterval() - (clock_() - *lastFrame_);
        heldUpdate_.start(std::chrono::ceil<std::chrono::milliseconds>(rest));
    }
    return true;
}

bool FramePacer::frameIsDue() const
{
    return !lastFrame_ || clock_() - *lastFrame_ >= frameInterval();
}

// Qt posts no new request while the window has updates waiting to be
// painted, so the held one stands for all of them; sending it paints them.
void FramePacer::releaseHeldUpdate()
{
    const QScopedValueRollback releasing(releasing_, true);
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(&window_, &request);
}
