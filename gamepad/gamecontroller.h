#pragma once

#include "gamepad/virtualpad.h"
#include "seriallink/link.h"
#include "session/session.h"

#include <QObject>
#include <QString>

#include <memory>

// The board's session driving a virtual pad, for as long as this lives:
// the link polls again as soon as each answer completes, at most
// `mostPerSecond` times a second; the pad is made when the board is first
// identified (at once, if it already is), takes every whole report, and is
// centred whenever the board is lost. Gone, it removes the pad and the
// link polls at its fixed interval again.
class GameController final : public QObject {
    Q_OBJECT

public:
    GameController(BoardSession &session, PadSettings settings, std::unique_ptr<PadOutput> output, int mostPerSecond,
                   const std::shared_ptr<LinkClock> &clock = LinkClock::eventLoop());
    ~GameController() override;

    // The pad in words: "off" until made, where it lives, or why it could
    // not be made.
    QString status() const { return pad_.status(); }
    bool calibrated() const { return pad_.calibrated(); }
    // Whether the pad could not be made when the board was identified.
    bool failedToMake() const { return pad_.failedToMake(); }

signals:
    void statusChanged(const QString &status);
    // The board went, and the pad was centred; the board came back.
    void boardLost();
    void boardBack();

private:
    void followLink(LinkState state);
    void tellStatus();

    BoardSession &session_;
    VirtualPad pad_;
    QString told_;
    bool lost_ = false;
};
