#include "window/presentschedule.h"

#include <algorithm>

void PresentSchedule::changed(Part part, Time now)
{
    if (part == Part::Sticks)
        sticksWaiting_ = true;
    else if (!textsWaitingSince_)
        textsWaitingSince_ = now;
}

std::optional<PresentSchedule::Time> PresentSchedule::due() const
{
    if (sticksWaiting_)
        return textsWaitingSince_ ? std::min(frameOpens(), textsDue()) : frameOpens();
    if (textsWaitingSince_)
        return textsDue();
    return std::nullopt;
}

PresentSchedule::Parts PresentSchedule::take(Time now)
{
    if (now < frameOpens())
        return {};
    const Parts parts{
        .sticks = sticksWaiting_,
        .texts = textsWaitingSince_ && (now >= textsDue() || (sticksWaiting_ && now >= textsReady())),
    };
    if (!parts.sticks && !parts.texts)
        return parts;
    lastFrame_ = now;
    sticksWaiting_ = false;
    if (parts.texts) {
        lastTexts_ = now;
        textsWaitingSince_.reset();
    }
    return parts;
}

// The first frame may go out at once; the next one a frame after it.
PresentSchedule::Time PresentSchedule::frameOpens() const
{
    return lastFrame_ ? *lastFrame_ + timing_.frame : Time::min();
}

// From when texts may ride along with the sticks: up to half a frame
// early, so that a frame of the sticks that comes just before the refresh
// takes them instead of leaving them a frame of their own.
PresentSchedule::Time PresentSchedule::textsReady() const
{
    return lastTexts_ ? *lastTexts_ + timing_.textRefresh - timing_.frame / 2 : Time::min();
}

// Texts that changed after they were ready go out with the next frame;
// others once they have waited a refresh, unless the sticks take them
// first.
PresentSchedule::Time PresentSchedule::textsDue() const
{
    const Time since = *textsWaitingSince_;
    const Time alone = since >= textsReady() ? since : since + timing_.textRefresh;
    return std::max(alone, frameOpens());
}
