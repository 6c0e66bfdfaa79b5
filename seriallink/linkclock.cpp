#include "seriallink/linkclock.h"

#include <QTimer>

namespace {

class EventLoopTimer final : public LinkTimer {
public:
    EventLoopTimer(LinkClock::Repeat repeat, std::function<void()> action)
    {
        timer_.setSingleShot(repeat == LinkClock::Repeat::Once);
        timer_.setTimerType(Qt::PreciseTimer);
        QObject::connect(&timer_, &QTimer::timeout, std::move(action));
    }

    void start(std::chrono::milliseconds interval) override { timer_.start(interval); }
    void stop() override { timer_.stop(); }

private:
    QTimer timer_;
};

class EventLoopClock final : public LinkClock {
public:
    std::chrono::nanoseconds now() const override { return std::chrono::steady_clock::now().time_since_epoch(); }
    std::chrono::system_clock::time_point wallNow() const override { return std::chrono::system_clock::now(); }

    std::unique_ptr<LinkTimer> makeTimer(Repeat repeat, std::function<void()> action) override
    {
        return std::make_unique<EventLoopTimer>(repeat, std::move(action));
    }
};

} // namespace

std::shared_ptr<LinkClock> LinkClock::eventLoop()
{
    return std::make_shared<EventLoopClock>();
}
