#pragma once

#include "seriallink/linkclock.h"
#include "stickdata/linelog.h"
#include "stickdata/ring.h"
#include "window/framepacer.h"

#include <QAbstractScrollArea>
#include <QString>

#include <memory>

// The board's own lines, the last few hundred, each after its local
// receive time; an ignored line is marked with a cross and in another
// colour; characters that would not show, or would break the line, are
// shown as escapes, and a very long line is cut short. The view follows
// the newest line, taking in those received within a text refresh
// together, unless the user scrolled away from it or paused it: a pause
// freezes it while lines are still kept. "Copy" puts the lines shown on
// the clipboard. It shows the lines of a log kept by whoever feeds it;
// hidden, it paints nothing.
class RawLinesView final : public QAbstractScrollArea {
    Q_OBJECT

public:
    // Shows the lines of `log`, which outlives it; its frames go by `clock`.
    explicit RawLinesView(const LineLog &log, std::shared_ptr<LinkClock> clock = LinkClock::eventLoop(),
                          QWidget *parent = nullptr);

    // The log took lines: shown within a text refresh, if shown at all.
    void showNewLines();
    void setPaused(bool paused);

    // The lines shown, as they read, one a text line.
    QString shownText() const;

    QSize sizeHint() const override { return {420, 320}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    void showKept();
    void placeScrollBar();
    void moveTo(quint64 topLine);
    quint64 firstShownLine() const { return shownEnd_ - shown_.size(); }
    int lineHeight() const;
    int wholeRows() const;

    const LineLog &log_;
    // The lines the view shows, up to the number after the newest, and the
    // number of the line at its top.
    Ring<ReceivedLine> shown_{LineLog::kKept};
    quint64 shownEnd_ = 0;
    quint64 topLine_ = 0;
    bool placingScrollBar_ = false;
    bool paused_ = false;
    FramePacer pacer_;
};
