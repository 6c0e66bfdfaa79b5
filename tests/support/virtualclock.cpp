#include "tests/support/virtualclock.h"

#include <QCoreApplication>

#include <algorithm>
#include <optional>
#include <tuple>

class VirtualClock::Timer final : public LinkTimer {
public:
    Timer(VirtualClock &clock, Repeat repeat, std::function<void()> action)
        : clock(clock)
        , repeat(repeat)
        , action(std::move(action))
    {
        clock.timers_.push_back(this);
    }
    ~Timer() override { std::erase(clock.timers_, this); }

    void start(std::chrono::milliseconds span) override
    {
        interval = span;
        due = clock.now_ + span;
        started = ++clock.starts_;
    }
    void stop() override { due.reset(); }

    bool isBefore(const Timer &other) const { return std::tie(*due, started) < std::tie(*other.due, other.started); }

    VirtualClock &clock;
    const Repeat repeat;
    const std::function<void()> action;
    std::chrono::milliseconds interval{0};
    std::optional<std::chrono::nanoseconds> due;
    std::uint64_t started = 0;
};

std::unique_ptr<LinkTimer> VirtualClock::makeTimer(Repeat repeat, std::function<void()> action)
{
    return std::make_unique<Timer>(*this, repeat, std::move(action));
}

void VirtualClock::after(std::chrono::milliseconds delay, std::function<void()> action)
{
    oneOffs_.push_back(makeTimer(Repeat::Once, std::move(action)));
    oneOffs_.back()->start(delay);
}

// A periodic timer is due again one interval after it was due, as the event
// loop's precise timers are.
bool VirtualClock::advanceUntil(const std::function<bool()> &done, std::chrono::milliseconds limit)
{
    const std::chrono::nanoseconds end = now_ + limit;
    while (!done()) {
        Timer *next = nullptr;
        for (Timer *timer : timers_)
            if (timer->due && *timer->due <= end && (!next || timer->isBefore(*next)))
                next = timer;
        if (!next) {
            now_ = end;
            return false;
        }
        now_ = *next->due;
        if (next->repeat == Repeat::Periodic)
            next->start(next->interval);
        else
            next->stop();
        next->action();
    }
    return true;
}

bool VirtualClock::runUntil(const std::function<bool()> &done, std::chrono::milliseconds limit)
{
    const bool held = advanceUntil(
        [&] {
            QCoreApplication::processEvents();
            return done();
        },
        limit);
    QCoreApplication::processEvents();
    return held || done();
}

void VirtualClock::runFor(std::chrono::milliseconds span)
{
    runUntil([] { return false; }, span);
}
