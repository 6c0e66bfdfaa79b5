#include "support/virtualclock.h"

#include <algorithm>
#include <tuple>

class VirtualClock::Timer final : public LinkTimer {
public:
    Timer(VirtualClock &clock, Repeat repeat, std::function<void()> action)
        : clock_(clock)
        , repeat_(repeat)
        , action_(std::move(action))
    {
        clock_.timers_.push_back(this);
    }

    ~Timer() override { std::erase(clock_.timers_, this); }

    void start(std::chrono::milliseconds interval) override
    {
        interval_ = interval;
        due_ = clock_.now_ + interval;
        order_ = ++clock_.started_;
    }

    void stop() override { due_.reset(); }

    VirtualClock &clock_;
    const Repeat repeat_;
    const std::function<void()> action_;
    std::chrono::milliseconds interval_{0};
    std::optional<std::chrono::milliseconds> due_;
    std::uint64_t order_ = 0;
};

std::unique_ptr<LinkTimer> VirtualClock::makeTimer(Repeat repeat, std::function<void()> action)
{
    return std::make_unique<Timer>(*this, repeat, std::move(action));
}

void VirtualClock::after(std::chrono::milliseconds delay, std::function<void()> action)
{
    auto timer = std::make_unique<Timer>(*this, Repeat::Once, std::move(action));
    timer->start(delay);
    oneOffs_.push_back(std::move(timer));
}

void VirtualClock::advance(std::chrono::milliseconds span)
{
    advanceUntil([] { return false; }, span);
}

bool VirtualClock::advanceUntil(const std::function<bool()> &done, std::chrono::milliseconds limit)
{
    const std::chrono::milliseconds end = now_ + limit;
    while (!done()) {
        Timer *const timer = nextDueBy(end);
        if (!timer) {
            now_ = end;
            return done();
        }
        fire(*timer);
    }
    return true;
}

VirtualClock::Timer *VirtualClock::nextDueBy(std::chrono::milliseconds end) const
{
    Timer *next = nullptr;
    for (Timer *timer : timers_)
        if (timer->due_ && *timer->due_ <= end
            && (!next || std::tie(*timer->due_, timer->order_) < std::tie(*next->due_, next->order_)))
            next = timer;
    return next;
}

// A periodic timer is due again one interval after the moment it was due,
// as the event loop's precise timers are; a one-off goes once it has run.
void VirtualClock::fire(Timer &timer)
{
    now_ = *timer.due_;
    if (timer.repeat_ == Repeat::Periodic)
        timer.start(timer.interval_);
    else
        timer.stop();
    timer.action_();
    std::erase_if(oneOffs_, [&](const std::unique_ptr<LinkTimer> &oneOff) { return oneOff.get() == &timer; });
}
