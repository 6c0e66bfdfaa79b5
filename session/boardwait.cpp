#include "session/boardwait.h"

#include <QLocale>

#include <utility>

namespace {

// "3", "0.5": as few digits as the span needs.
QString secondsText(std::chrono::milliseconds span)
{
    const double seconds = std::chrono::duration<double>(span).count();
    return QLocale::c().toString(seconds, 'f', QLocale::FloatingPointShortest);
}

} // namespace

BoardWait::BoardWait(const Link &link, std::optional<std::chrono::milliseconds> limit, std::shared_ptr<LinkClock> clock,
                     QObject *parent)
    : QObject(parent)
    , limit_(limit)
    , clock_(std::move(clock))
    , reminder_(clock_->makeTimer(LinkClock::Repeat::Periodic, [this] { remind(); }))
    , limitTimer_(clock_->makeTimer(LinkClock::Repeat::Once, [this] { giveUp(); }))
{
    followLink(link.state());
    connect(&link, &Link::stateChanged, this, &BoardWait::followLink);
    connect(&link, &Link::problemChanged, this, &BoardWait::noteProblem);
}

// The one place the timers start and stop: a wait starts both afresh.
void BoardWait::enter(State state)
{
    if (state == state_)
        return;
    state_ = state;
    reminder_->stop();
    limitTimer_->stop();
    if (state == State::Found)
        reason_.clear();
    if (state != State::Waiting)
        return;
    since_ = clock_->now();
    reminder_->start(kReminder);
    if (limit_)
        limitTimer_->start(*limit_);
}

// The link looking for a board, or waiting for one to appear, has none.
void BoardWait::followLink(LinkState phase)
{
    if (state_ == State::Over)
        return;
    if (phase == LinkState::Polling)
        enter(State::Found);
    else if (phase == LinkState::Closed)
        enter(State::Over);
    else
        enter(State::Waiting);
}

// A port that opens clears the link's problem; the reason kept is the last
// thing that went wrong.
void BoardWait::noteProblem(const QString &reason)
{
    if (!reason.isEmpty())
        reason_ = reason;
}

// A reminder due with the limit gives up instead.
void BoardWait::remind()
{
    if (isPastLimit()) {
        giveUp();
        return;
    }
    const auto waited = std::chrono::round<std::chrono::seconds>(clock_->now() - since_);
    emit stillWaiting(withReason(QStringLiteral("still waiting for a board after %1 s").arg(waited.count())));
}

void BoardWait::giveUp()
{
    enter(State::Over);
    emit gaveUp(withReason(QStringLiteral("no board answered within %1 s").arg(secondsText(*limit_))));
}

bool BoardWait::isPastLimit() const
{
    return limit_ && clock_->now() - since_ >= *limit_;
}

QString BoardWait::withReason(const QString &text) const
{
    return reason_.isEmpty() ? text : text + QStringLiteral(": ") + reason_;
}
