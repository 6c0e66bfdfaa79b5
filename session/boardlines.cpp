#include "session/boardlines.h"

BoardLines::BoardLines(Link &link, std::shared_ptr<LinkClock> clock, QObject *parent)
    : QObject(parent)
    , clock_(std::move(clock))
{
    connect(&link, &Link::lineReceived, this, &BoardLines::interpret);
    connect(&link, &Link::lineDropped, this, &BoardLines::markDropped);
    // What arrives on a port just opened holds none of the values before.
    connect(&link, &Link::portOpened, this, [this] { seen_.reset(); });
}

void BoardLines::interpret(const QString &text)
{
    BoardLine line;
    line.arrival = now();
    const AppliedLine applied = model_.apply(text);
    line.kind = applied.kind;
    line.channel = applied.channel;
    line.text = text;
    if (applied.kind == LineKind::Channel)
        seen_.set(size_t(applied.channel));
    if (applied.completesReport) {
        line.report = model_.lastReport();
        line.unseen = ~seen_;
    }
    emit arrived(line);
}

// The line itself never reaches the program: the event stands for it.
void BoardLines::markDropped()
{
    BoardLine line;
    line.kind = LineKind::Dropped;
    line.arrival = now();
    emit arrived(line);
}

Arrival BoardLines::now() const
{
    return {clock_->now(), clock_->wallNow()};
}
