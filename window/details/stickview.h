#pragma once

#include "seriallink/linkclock.h"
#include "stickdata/recentreports.h"
#include "stickdata/reporthistory.h"
#include "window/framepacer.h"

#include <QLineF>
#include <QPixmap>
#include <QPointF>
#include <QSizeF>
#include <QWidget>

#include <chrono>
#include <memory>
#include <optional>

// Where a stick rests and how far around it its values mean nothing, in
// drawing units: half the dead zone's width on each axis.
struct StickCalibration {
    QPointF centre;
    QSizeF deadZone;

    bool operator==(const StickCalibration &) const = default;
};

// One stick, large, in the largest square the widget holds, on the
// 1024 x 1024 unit space of the board's coordinates (y downwards): its
// position now, red or blue as its button is up or pressed; a trail of the
// last two seconds, fading with age; the outline of every position reached
// since the last restart; and the centre and dead zone, once known. Greyed
// while the board is lost. It shows recent reports kept by whoever feeds
// it; hidden, it paints nothing.
class StickView final : public QWidget {
    Q_OBJECT

public:
    using Time = ReportHistory::Time;
    static constexpr Time kTrailSpan = RecentReports::kTrailSpan;

    // Stick `stick` (0 left, 1 right, as in kSticks) of `recent`, which
    // outlives it; its frames go by `clock`.
    StickView(const RecentReports &recent, size_t stick, std::shared_ptr<LinkClock> clock = LinkClock::eventLoop(),
              QWidget *parent = nullptr);

    // `recent` took a report that arrived `at`: shown at the next frame, if
    // shown at all.
    void showNewReport(Time at);
    // Nothing is drawn for the calibration while it is unknown; the square
    // is drawn anew only when it changes.
    void setCalibration(const std::optional<StickCalibration> &calibration);
    void setLive(bool live);
    // `recent` forgot the outline and the trail.
    void showRestart();

    QSize sizeHint() const override { return {320, 320}; }
    QSize minimumSizeHint() const override { return {120, 120}; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    // What the screen shows of what moves: the trail up to its newest
    // sample, the last step of it and the dot.
    struct Shown {
        Time newest;
        QLineF lastStep;
        QPointF dot;
    };

    void showChanges();
    void showAnew();
    QRegion changedSince(const Shown &shown) const;
    std::optional<Shown> nowShowing() const;
    QPointF positionIn(const Channels &channels) const;
    QLineF stepInto(size_t index) const;
    std::optional<size_t> shadeOfStep(size_t index, Time newest) const;
    QRectF square() const;
    QTransform toPixels() const;
    QRect pixelsAround(const QRectF &units) const;
    double dotRadius() const;
    QColor shown(const QColor &colour) const;
    const QPixmap &background();
    void drawOutline(QPainter &painter) const;
    void drawTrail(QPainter &painter, const QRegion &dirty) const;
    void drawCalibration(QPainter &painter) const;
    void drawPosition(QPainter &painter) const;

    const RecentReports &recent_;
    const size_t stick_;
    const StickChannels channels_;
    std::optional<StickCalibration> calibration_;
    bool live_ = true;
    std::optional<Shown> shown_;
    // How far, in units, the outline had moved out in all when it was
    // drawn, and when it had moved on from there by a pixel.
    double outlineDrawnAt_ = 0;
    std::optional<Time> outlineMovedAt_;
    // The square, its guides, the outline and the calibration; null when
    // they must be drawn again.
    QPixmap background_;
    FramePacer pacer_;
};
