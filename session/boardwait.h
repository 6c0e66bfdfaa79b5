#pragma once

#include "seriallink/link.h"
#include "seriallink/linkclock.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <memory>
#include <optional>

// The wait for the board of a program without a window, which a person
// watches or a script waits on: while the link has no board, it says every
// kReminder that it is still waiting, with why the ports tried failed (the
// link's last problem); given a limit, it gives up once there has been no
// board for that long. The wait starts when it is made, ends when the board
// is found and starts afresh when the board is lost; giving up, or the link
// closing, ends it for good.
//
//   state    timers             leaves for
//   Waiting  reminder, limit    Found when the link polls a board;
//                               Over when the limit passes or the link closes
//   Found    -                  Waiting when the link loses the board
//   Over     -
class BoardWait final : public QObject {
    Q_OBJECT

public:
    static constexpr std::chrono::seconds kReminder{30};

    // Without a `limit` it waits for as long as the program runs.
    BoardWait(const Link &link, std::optional<std::chrono::milliseconds> limit,
              std::shared_ptr<LinkClock> clock = LinkClock::eventLoop(), QObject *parent = nullptr);

signals:
    // "still waiting for a board after 30 s: COM1 (/dev/pts/4): opened, but
    // no board answered".
    void stillWaiting(const QString &text);
    // "no board answered within 3 s: COM1 (/dev/pts/4): opened, but no
    // board answered"; nothing is told after it.
    void gaveUp(const QString &text);

private:
    enum class State { Waiting, Found, Over };

    void enter(State state);
    void followLink(LinkState phase);
    void noteProblem(const QString &reason);
    void remind();
    void giveUp();
    bool isPastLimit() const;
    QString withReason(const QString &text) const;

    const std::optional<std::chrono::milliseconds> limit_;
    const std::shared_ptr<LinkClock> clock_;
    const std::unique_ptr<LinkTimer> reminder_;
    const std::unique_ptr<LinkTimer> limitTimer_;
    // Found until the link has been looked at: a wait starts only from there.
    State state_ = State::Found;
    // When the wait going on began.
    std::chrono::nanoseconds since_{0};
    // The link's last problem since the board was last found.
    QString reason_;
};
