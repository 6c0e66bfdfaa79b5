#pragma once

#include "seriallink/linkclock.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// A clock that stands still until the test moves it on. Moving it fires every
// timer that falls due on the way, each at its own moment, in order of due
// time (timers due together in the order they were started). Its time of
// day starts at kWallStart and moves with it.
class VirtualClock final : public LinkClock {
public:
    static constexpr std::chrono::system_clock::time_point kWallStart{std::chrono::seconds(1'796'000'000)};

    std::chrono::nanoseconds now() const override { return now_; }
    std::chrono::system_clock::time_point wallNow() const override
    {
        return kWallStart + std::chrono::duration_cast<std::chrono::system_clock::duration>(now_);
    }
    std::unique_ptr<LinkTimer> makeTimer(Repeat repeat, std::function<void()> action) override;

    // Calls `action` once, `delay` from now: "a moment later" with 0.
    void after(std::chrono::milliseconds delay, std::function<void()> action);
    // Moves time on, one due timer at a time, until `done()` holds or `limit`
    // has passed; returns done().
    bool advanceUntil(const std::function<bool()> &done, std::chrono::milliseconds limit);
    void advance(std::chrono::milliseconds span)
    {
        advanceUntil([] { return false; }, span);
    }
    // The same, with the events posted meanwhile (repaints, queued calls)
    // handled before each step and at the end, as an event loop would.
    bool runUntil(const std::function<bool()> &done, std::chrono::milliseconds limit);
    void runFor(std::chrono::milliseconds span);

private:
    class Timer;

    std::chrono::nanoseconds now_{0};
    std::uint64_t starts_ = 0;
    std::vector<Timer *> timers_;
    std::vector<std::unique_ptr<LinkTimer>> oneOffs_;
};
