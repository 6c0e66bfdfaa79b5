#include "gamepad/gamecontroller.h"

GameController::GameController(BoardSession &session, PadSettings settings, std::unique_ptr<PadOutput> output,
                               int mostPerSecond, const std::shared_ptr<LinkClock> &clock)
    : session_(session)
    , pad_(std::move(settings), std::move(output), clock)
{
    BoardLink &link = session.link();
    link.pollAfterEachAnswer(mostPerSecond);
    connect(&session.lines(), &BoardLines::arrived, this, [this](const BoardLine &line) { pad_.take(line); });
    connect(&link, &Link::stateChanged, this, &GameController::followLink);
    if (link.state() == LinkState::Polling)
        followLink(LinkState::Polling);
}

GameController::~GameController()
{
    session_.link().pollAtFixedInterval();
}

void GameController::followLink(LinkState state)
{
    pad_.followLink(state);
    tellStatus();
    const bool lost = state != LinkState::Polling && pad_.status() != QStringLiteral("off");
    if (lost == lost_)
        return;
    lost_ = lost;
    if (lost)
        emit boardLost();
    else
        emit boardBack();
}

void GameController::tellStatus()
{
    if (pad_.status() == told_)
        return;
    told_ = pad_.status();
    emit statusChanged(told_);
}
