#pragma once

#include "seriallink/linkclock.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// A clock that stands still until the test moves it on. Moving it fires every
// timer that falls due on the way, in order of due time (timers due at the
// same moment in the order they were started), each at its own moment.
class VirtualClock final : public LinkClock {
public:
    VirtualClock() = default;
    VirtualClock(const VirtualClock &) = delete;
    VirtualClock &operator=(const VirtualClock &) = delete;

    std::chrono::milliseconds now() const override { return now_; }
    std::unique_ptr<LinkTimer> makeTimer(Repeat repeat, std::function<void()> action) override;

    // Calls `action` once, `delay` from now: a moment later, as a device
    // answers, with 0.
    void after(std::chrono::milliseconds delay, std::function<void()> action);
    // Moves time on by `span`.
    void advance(std::chrono::milliseconds span);
    // Moves time on, one due timer at a time, until `done()` holds or `limit`
    // has passed; returns done().
    bool advanceUntil(const std::function<bool()> &done, std::chrono::milliseconds limit);

private:
    class Timer;
    friend class Timer;

    Timer *nextDueBy(std::chrono::milliseconds end) const;
    void fire(Timer &timer);

    std::chrono::milliseconds now_{0};
    std::uint64_t started_ = 0;
    std::vector<Timer *> timers_;
    std::vector<std::unique_ptr<LinkTimer>> oneOffs_;
};
