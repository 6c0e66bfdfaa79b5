#include "window/framepacer.h"

#include <chrono>

namespace {

PresentSchedule::Time steadyNow()
{
    return std::chrono::steady_clock::now().time_since_epoch();
}

} // namespace

FramePacer::FramePacer(Show show, QObject *parent)
    : QObject(parent)
    , show_(std::move(show))
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    connect(&timer_, &QTimer::timeout, this, &FramePacer::frameDue);
}

void FramePacer::changed(PresentSchedule::Part part)
{
    schedule_.changed(part, steadyNow());
    armTimer();
}

// The timer is started again only when the due time moves: a fast board
// changes a view many times a frame.
void FramePacer::armTimer()
{
    const std::optional<PresentSchedule::Time> due = schedule_.due();
    if (!due) {
        timer_.stop();
        return;
    }
    if (timer_.isActive() && *due == timerDue_)
        return;
    timerDue_ = *due;
    const PresentSchedule::Time now = steadyNow();
    timer_.start(*due <= now ? std::chrono::milliseconds(0) : std::chrono::ceil<std::chrono::milliseconds>(*due - now));
}

void FramePacer::frameDue()
{
    const PresentSchedule::Parts parts = schedule_.take(steadyNow());
    if (parts.sticks || parts.texts)
        show_(parts);
    armTimer();
}
