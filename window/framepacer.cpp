#include "window/framepacer.h"

#include <chrono>

FramePacer::FramePacer(Show show, std::shared_ptr<LinkClock> clock, PresentTiming timing)
    : show_(std::move(show))
    , clock_(std::move(clock))
    , schedule_(timing)
    , timer_(clock_->makeTimer(LinkClock::Repeat::Once, [this] { showDueParts(); }))
{
}

void FramePacer::changed(PresentSchedule::Part part)
{
    schedule_.changed(part, clock_->now());
    armTimer();
}

// The timer is started again only when the due time moves: a fast board
// changes a view many times a frame.
void FramePacer::armTimer()
{
    const std::optional<PresentSchedule::Time> due = schedule_.due();
    if (!due) {
        timer_->stop();
        timerDue_.reset();
        return;
    }
    if (due == timerDue_)
        return;
    timerDue_ = due;
    const PresentSchedule::Time now = clock_->now();
    timer_->start(*due <= now ? std::chrono::milliseconds(0)
                              : std::chrono::ceil<std::chrono::milliseconds>(*due - now));
}

void FramePacer::showDueParts()
{
    timerDue_.reset();
    const PresentSchedule::Parts parts = schedule_.take(clock_->now());
    if (parts.sticks || parts.texts)
        show_(parts);
    armTimer();
}
