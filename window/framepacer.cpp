#include "window/framepacer.h"

#include <QCoreApplication>
#include <QEvent>
#include <QScopedValueRollback>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace {

// Used when the screen does not tell its refresh rate.
constexpr double kFallbackFramesPerSecond = 60;

} // namespace

FramePacer::FramePacer(QWidget &window)
    : window_(window)
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
        sinceLastFrame_.start();
        return false;
    }
    if (!heldUpdate_.isActive()) {
        const auto rest = frameInterval() - std::chrono::nanoseconds(sinceLastFrame_.nsecsElapsed());
        heldUpdate_.start(std::chrono::ceil<std::chrono::milliseconds>(rest));
    }
    return true;
}

bool FramePacer::frameIsDue() const
{
    return !sinceLastFrame_.isValid() || std::chrono::nanoseconds(sinceLastFrame_.nsecsElapsed()) >= frameInterval();
}

// Qt posts no new request while the window has updates waiting to be
// painted, so the held one stands for all of them; sending it paints them.
void FramePacer::releaseHeldUpdate()
{
    const QScopedValueRollback releasing(releasing_, true);
    QEvent request(QEvent::UpdateRequest);
    QCoreApplication::sendEvent(&window_, &request);
}
