#pragma once

#include "stickdata/ring.h"
#include "window/framepacer.h"

#include <QString>
#include <QWidget>

class QListView;
class ReceivedLinesModel;

// A device line as received, with the time it arrived and whether the
// program made nothing of it.
struct ReceivedLine {
    // Milliseconds since the Unix epoch.
    qint64 receivedAt = 0;
    QString text;
    bool ignored = false;
};

// The board's own lines, the last few hundred, each after its local
// receive time; an ignored line is marked with a cross and in another
// colour; characters that would not show, or would break the line, are
// shown as escapes. The view follows the newest line, taking in those
// received within a frame together, unless paused: a pause freezes it
// while lines are still kept. Selected lines are copied as text.
class RawLinesView final : public QWidget {
    Q_OBJECT

public:
    static constexpr size_t kKeptLines = 500;

    explicit RawLinesView(QWidget *parent = nullptr);

    void append(ReceivedLine line);
    void setPaused(bool paused);
    bool isPaused() const { return paused_; }
    void clear();

private:
    void showKept();
    void copySelection() const;

    Ring<ReceivedLine> kept_{kKeptLines};
    ReceivedLinesModel *const model_;
    QListView *const list_;
    FramePacer pacer_;
    bool paused_ = false;
};
