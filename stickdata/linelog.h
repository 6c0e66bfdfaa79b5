#pragma once

#include "stickdata/ring.h"

#include <QString>
#include <QtGlobal>

#include <utility>

// A device line as received, with the time it arrived and whether the
// program made nothing of it.
struct ReceivedLine {
    // Milliseconds since the Unix epoch.
    qint64 receivedAt = 0;
    QString text;
    bool ignored = false;
};

// The board's last few hundred lines, and how many came in all.
class LineLog {
public:
    static constexpr size_t kKept = 500;

    void add(ReceivedLine line)
    {
        kept_.push(std::move(line));
        ++received_;
    }

    // The oldest kept first.
    const Ring<ReceivedLine> &kept() const { return kept_; }
    // The number of the line after the newest, counting from 0.
    quint64 received() const { return received_; }

private:
    Ring<ReceivedLine> kept_{kKept};
    quint64 received_ = 0;
};
