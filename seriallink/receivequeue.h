#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>

// Received bytes waiting to be read, and the delivery that announces them:
// one receive event per read that takes characters off the queue, while at
// least the receive threshold of them wait, so a handler reading one
// character per event gets a burst of any size complete and in order.
class ReceiveQueue {
public:
    void append(const QByteArray &bytes) { bytes_.append(bytes); }
    void clear();

    // Removes and returns up to `length` waiting characters, all when 0.
    QString read(int16_t length);

    // Calls `raiseEvent` while `threshold` (0 raises nothing) or more bytes
    // wait and `isOpen()` holds. A handler that leaves the queue as it was
    // ends the round: it is raised again when more bytes arrive, rather
    // than in a loop that could never end. A call made from inside an event
    // returns at once; the delivery under way goes on.
    void deliver(int16_t threshold, const std::function<bool()> &isOpen, const std::function<void()> &raiseEvent);

private:
    qsizetype waiting() const { return bytes_.size() - firstWaiting_; }

    // Bytes before `firstWaiting_` have been read; they are dropped once
    // all are, rather than moving the rest down at every read.
    QByteArray bytes_;
    qsizetype firstWaiting_ = 0;
    bool delivering_ = false;
};
