#pragma once

#include "stickdata/recentreports.h"
#include "stickdata/reporthistory.h"
#include "window/framepacer.h"

#include <QPixmap>
#include <QWidget>

#include <chrono>
#include <memory>
#include <optional>

// The board's channels over the last 30 seconds: the four axes on a fixed
// 0 to 1023 scale, one colour each with a legend, and the two buttons as
// step traces in a band under them. The right edge is the newest report.
// Where there are more samples than pixels, each pixel column shows the
// extremes of its samples. The time and the values under the pointer are
// shown. A pause freezes the view while reports still come in; the view
// is greyed while the board is lost. It shows a history kept by whoever
// feeds it; hidden, it paints nothing.
class HistoryPlot final : public QWidget {
    Q_OBJECT

public:
    using Time = ReportHistory::Time;
    static constexpr Time kSpan = RecentReports::kHistorySpan;

    // Shows `history`, which outlives it; its frames go by `clock`.
    explicit HistoryPlot(const ReportHistory &history, std::shared_ptr<LinkClock> clock = LinkClock::eventLoop(),
                         QWidget *parent = nullptr);

    // The history took reports: shown at the next frame, if shown at all.
    void showNewReports();
    void setPaused(bool paused);
    bool isPaused() const { return frozen_.has_value(); }
    void setLive(bool live);

    QSize sizeHint() const override { return {720, 360}; }
    QSize minimumSizeHint() const override { return {320, 200}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    struct Areas;
    Areas areas() const;
    const ReportHistory &shownHistory() const { return frozen_ ? *frozen_ : history_; }
    void showNewSamples();
    void showAnew();
    const QPixmap &background(const Areas &areas);
    void drawScale(QPainter &painter, const Areas &areas) const;
    void drawLegend(QPainter &painter, const Areas &areas) const;
    void drawTraces(QPainter &painter, const Areas &areas, const QRect &dirty) const;
    void drawPointer(QPainter &painter, const Areas &areas) const;
    QString valuesAt(Time at) const;

    const ReportHistory &history_;
    // What the view shows while paused: the history as the pause found it.
    std::optional<ReportHistory> frozen_;
    // The time at the right edge of the traces on screen; none before the
    // first report.
    std::optional<Time> shownEnd_;
    FramePacer pacer_;
    bool live_ = true;
    std::optional<int> pointerX_;
    // The scale and the legend, which change only with the size, the look
    // and the board's liveness; null when they must be drawn again.
    QPixmap background_;
};
