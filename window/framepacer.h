#pragma once

#include "seriallink/linkclock.h"
#include "window/presentschedule.h"

#include <functional>
#include <memory>
#include <optional>

// Paces the repaints of a view fed many times a second, on one single-shot
// timer: whatever changes within a frame is shown once, a picture at most
// once a frame (40 ms), a text about ten times a second, which is as often
// as it can be read; a change after a quiet spell at once. Nothing runs
// while nothing changes. Its time and its timer come from `clock`.
class FramePacer final {
public:
    // `show` is given the parts due in a frame.
    using Show = std::function<void(PresentSchedule::Parts)>;

    explicit FramePacer(Show show, std::shared_ptr<LinkClock> clock = LinkClock::eventLoop(),
                        PresentTiming timing = {});

    // `part` of the view has something new to show.
    void changed(PresentSchedule::Part part);

private:
    void armTimer();
    void showDueParts();

    Show show_;
    std::shared_ptr<LinkClock> clock_;
    PresentSchedule schedule_;
    std::unique_ptr<LinkTimer> timer_;
    // When the timer is armed for; nothing while it is not.
    std::optional<PresentSchedule::Time> timerDue_;
};
