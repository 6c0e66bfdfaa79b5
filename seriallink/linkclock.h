#pragma once

#include <chrono>
#include <functional>
#include <memory>

// A timer of the link: once started, it calls its action when the interval
// has passed, once or every interval, until it is stopped. Starting it again
// starts the interval afresh.
class LinkTimer {
public:
    virtual ~LinkTimer() = default;
    virtual void start(std::chrono::milliseconds interval) = 0;
    virtual void stop() = 0;
};

// Where the link's time comes from: a monotonic clock and the timers that
// run on it. The program runs on the event loop's timers; tests step a clock
// of their own, so that hours of the link's life take no time at all.
class LinkClock {
public:
    enum class Repeat { Once, Periodic };

    virtual ~LinkClock() = default;

    // Time since some fixed moment; it never goes back.
    virtual std::chrono::nanoseconds now() const = 0;
    // The time of day, for what a person reads: it may jump.
    virtual std::chrono::system_clock::time_point wallNow() const = 0;
    // A timer, stopped, whose action runs on the thread that made it.
    virtual std::unique_ptr<LinkTimer> makeTimer(Repeat repeat, std::function<void()> action) = 0;

    // The event loop's timers (precise, not coalesced), the steady clock
    // and the system clock.
    static std::shared_ptr<LinkClock> eventLoop();
};
