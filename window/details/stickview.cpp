#include "window/details/stickview.h"

#include "window/details/tracestyle.h"
#include "window/vbcolor.h"

#include <QPaintEvent>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <array>
#include <utility>

using namespace std::chrono_literals;

namespace {

constexpr double kUnits = 1024;
// Four shades rather than eight halve the steps a frame paints again as
// they cross into the next shade, and take about a quarter off what the
// details views cost at 20 reports a second (figures in bench/RESULTS.md).
constexpr size_t kTrailShades = 4;
// The position's dot, in units, and never smaller than a few pixels.
constexpr double kDotRadius = 20;
constexpr double kSmallestDotPixels = 4;
constexpr double kCentreMarkRadius = 24;
constexpr int kMargin = 4;
// A stick going round its range moves the outline out by a little at many
// reports, and drawing it anew paints the whole square: it is drawn again
// once it has moved out by a pixel in all, half a second after that.
// Drawing it at each move adds a third to what the details views cost at
// 20 reports a second (figures in bench/RESULTS.md).
constexpr double kOutlineStep = 1;
constexpr StickView::Time kOutlineRefresh = 500ms;
// Around what is drawn, in pixels: antialiasing strays past a line's end.
constexpr int kStray = 3;

QPen cosmeticPen(const QColor &colour, double width, Qt::PenStyle style = Qt::SolidLine)
{
    QPen pen(colour, width, style);
    pen.setCosmetic(true);
    return pen;
}

QRectF around(const QLineF &line)
{
    return QRectF(line.p1(), line.p2()).normalized();
}

} // namespace

StickView::StickView(const RecentReports &recent, size_t stick, std::shared_ptr<LinkClock> clock, QWidget *parent)
    : QWidget(parent)
    , recent_(recent)
    , stick_(stick)
    , channels_(kSticks[stick])
    , pacer_([this](PresentSchedule::Parts) { showChanges(); }, std::move(clock))
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// Hidden, the view draws its outline afresh when shown again.
void StickView::showNewReport(Time at)
{
    if (!isVisible())
        return;
    if ((recent_.outlineMoved(stick_) - outlineDrawnAt_) * square().width() / kUnits >= kOutlineStep)
        outlineMovedAt_ = outlineMovedAt_.value_or(at);
    pacer_.changed(PresentSchedule::Part::Sticks);
}

void StickView::setCalibration(const std::optional<StickCalibration> &calibration)
{
    if (calibration == calibration_)
        return;
    calibration_ = calibration;
    background_ = QPixmap();
    update();
}

void StickView::setLive(bool live)
{
    if (live == live_)
        return;
    live_ = live;
    background_ = QPixmap();
    update();
}

void StickView::showRestart()
{
    outlineMovedAt_.reset();
    background_ = QPixmap();
    showAnew();
}

// A frame: only what changed since the frame before is painted again: the
// steps of the trail that came, went or changed shade, the last step shown
// and the dot where it was and where it is. Painting the whole square each
// frame adds three quarters to what the details views cost at 20 reports
// a second (figures in bench/RESULTS.md). What lies under the trail, once
// changed, is painted whole.
void StickView::showChanges()
{
    const std::optional<Shown> before = std::exchange(shown_, nowShowing());
    if (outlineMovedAt_ && shown_ && shown_->newest - *outlineMovedAt_ >= kOutlineRefresh) {
        outlineMovedAt_.reset();
        background_ = QPixmap();
    }
    // Steps shown before may have been dropped from the trail since.
    const Ring<HistorySample> &samples = recent_.trail().samples();
    const auto stepsDropped = [&] {
        return samples.size() == samples.capacity() && samples[0].at > before->newest - kTrailSpan;
    };
    if (!before || !shown_ || background_.isNull() || stepsDropped())
        update();
    else
        update(changedSince(*before));
}

void StickView::showAnew()
{
    shown_ = nowShowing();
    update();
}

QRegion StickView::changedSince(const Shown &shown) const
{
    const Ring<HistorySample> &samples = recent_.trail().samples();
    const Time newest = shown_->newest;
    const QPointF dotCorner(dotRadius(), dotRadius());
    QRegion changed(pixelsAround(QRectF(shown.dot - dotCorner, shown.dot + dotCorner)));
    changed += pixelsAround(QRectF(shown_->dot - dotCorner, shown_->dot + dotCorner));
    changed += pixelsAround(around(shown.lastStep));
    for (size_t i = std::max<size_t>(1, recent_.trail().firstFrom(shown.newest - kTrailSpan)); i < samples.size(); ++i)
        if (samples[i].at >= shown.newest || shadeOfStep(i, shown.newest) != shadeOfStep(i, newest))
            changed += pixelsAround(around(stepInto(i)));
    return changed;
}

std::optional<StickView::Shown> StickView::nowShowing() const
{
    const Ring<HistorySample> &samples = recent_.trail().samples();
    const std::optional<Channels> &now = recent_.latest();
    if (!now || samples.empty())
        return std::nullopt;
    const size_t last = samples.size() - 1;
    const QPointF newest = positionIn(samples[last].last);
    return Shown{samples[last].at, last > 0 ? stepInto(last) : QLineF(newest, newest), positionIn(*now)};
}

// Where `channels` put the stick, in units.
QPointF StickView::positionIn(const Channels &channels) const
{
    return QPointF(channels[channels_.x], channels[channels_.y]);
}

// From the trail's sample before `index` to the sample at `index`.
QLineF StickView::stepInto(size_t index) const
{
    const Ring<HistorySample> &samples = recent_.trail().samples();
    return QLineF(positionIn(samples[index - 1].last), positionIn(samples[index].last));
}

// The step into sample `index` is drawn while the sample it starts from is
// at most the span older than the newest, as opaque as its end is recent,
// in a few shades, so that a frame changes only the steps that cross from
// one shade to the next.
std::optional<size_t> StickView::shadeOfStep(size_t index, Time newest) const
{
    const Ring<HistorySample> &samples = recent_.trail().samples();
    if (index == 0 || samples[index].at > newest || newest - samples[index - 1].at > kTrailSpan)
        return std::nullopt;
    return std::min(kTrailShades - 1, size_t((newest - samples[index].at) * kTrailShades / kTrailSpan));
}

// Only the places that changed are painted: the background copied there,
// then what moves, antialiased, drawn in units over the square.
void StickView::paintEvent(QPaintEvent *event)
{
    const QPixmap &background = this->background();
    const qreal ratio = devicePixelRatio();
    QPainter painter(this);
    for (const QRect &dirty : event->region())
        painter.drawPixmap(dirty.topLeft(), background,
                           QRectF(QPointF(dirty.topLeft()) * ratio, QSizeF(dirty.size()) * ratio));
    painter.setTransform(toPixels());
    painter.setClipRect(QRectF(0, 0, kUnits, kUnits), Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing);
    drawTrail(painter, event->region());
    drawPosition(painter);
}

// The outline may have moved out while hidden.
void StickView::showEvent(QShowEvent *)
{
    background_ = QPixmap();
    showAnew();
}

void StickView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::StyleChange)
        background_ = QPixmap();
    QWidget::changeEvent(event);
}

QRectF StickView::square() const
{
    const int side = qMax(1, qMin(width(), height()) - 2 * kMargin);
    // NOLINTNEXTLINE(bugprone-integer-division): whole pixels, so that its upright and level edges are crisp
    return QRectF((width() - side) / 2, (height() - side) / 2, side, side);
}

QTransform StickView::toPixels() const
{
    const QRectF square = this->square();
    return QTransform::fromTranslate(square.left(), square.top())
        .scale(square.width() / kUnits, square.height() / kUnits);
}

QRect StickView::pixelsAround(const QRectF &units) const
{
    return toPixels().mapRect(units).toAlignedRect().adjusted(-kStray, -kStray, kStray, kStray);
}

double StickView::dotRadius() const
{
    return qMax(kDotRadius, kSmallestDotPixels * kUnits / square().width());
}

QColor StickView::shown(const QColor &colour) const
{
    return tracestyle::shown(colour, live_);
}

// Each pixel is filled once: the window's colour around the square, the
// view's inside. Only what is neither upright nor level is antialiased.
const QPixmap &StickView::background()
{
    const qreal ratio = devicePixelRatio();
    if (!background_.isNull() && background_.size() == size() * ratio)
        return background_;
    background_ = QPixmap(size() * ratio);
    background_.setDevicePixelRatio(ratio);
    outlineDrawnAt_ = recent_.outlineMoved(stick_);
    QPainter painter(&background_);
    const QRectF square = this->square();
    painter.fillRect(rect(), palette().window());
    painter.fillRect(square, palette().base());
    painter.setPen(palette().text().color());
    painter.drawRect(square.adjusted(0, 0, -1, -1));
    painter.setTransform(toPixels());
    painter.setClipRect(QRectF(0, 0, kUnits, kUnits));
    painter.setPen(cosmeticPen(palette().mid().color(), 1, Qt::DotLine));
    painter.drawLine(QPointF(kUnits / 2, 0), QPointF(kUnits / 2, kUnits));
    painter.drawLine(QPointF(0, kUnits / 2), QPointF(kUnits, kUnits / 2));
    drawCalibration(painter);
    painter.setRenderHint(QPainter::Antialiasing);
    drawOutline(painter);
    return background_;
}

void StickView::drawOutline(QPainter &painter) const
{
    QPolygonF outline;
    for (const QPoint &point : recent_.outline(stick_).outline())
        outline << QPointF(point);
    painter.setPen(cosmeticPen(shown(QColor(tracestyle::kOutline)), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(outline);
}

// The steps of a shade are drawn together, those that reach into `dirty`
// only: a frame repaints a few places, and drawing every step of the trail
// into each took most of what a frame of the view cost (bench/RESULTS.md).
void StickView::drawTrail(QPainter &painter, const QRegion &dirty) const
{
    const Ring<HistorySample> &samples = recent_.trail().samples();
    if (samples.empty())
        return;
    const Time newest = samples.back().at;
    std::array<QList<QLineF>, kTrailShades> shades;
    for (size_t i = std::max<size_t>(1, recent_.trail().firstFrom(newest - kTrailSpan)); i < samples.size(); ++i)
        if (const std::optional<size_t> shade = shadeOfStep(i, newest)) {
            const QLineF step = stepInto(i);
            if (dirty.intersects(pixelsAround(around(step))))
                shades[*shade] << step;
        }
    QColor colour = shown(QColor(tracestyle::kTrail));
    for (size_t shade = 0; shade < kTrailShades; ++shade) {
        colour.setAlphaF(float(1 - double(shade) / kTrailShades));
        painter.setPen(cosmeticPen(colour, 1));
        painter.drawLines(shades[shade]);
    }
}

void StickView::drawCalibration(QPainter &painter) const
{
    if (!calibration_)
        return;
    const QColor colour = shown(QColor(tracestyle::kCalibration));
    const QPointF centre = calibration_->centre;
    const QSizeF zone = calibration_->deadZone;
    QColor fill = colour;
    fill.setAlpha(60);
    painter.setPen(cosmeticPen(colour, 1, Qt::DashLine));
    painter.setBrush(fill);
    painter.drawRect(QRectF(centre - QPointF(zone.width(), zone.height()), 2 * zone));
    painter.setPen(cosmeticPen(colour, 2));
    painter.drawLine(centre - QPointF(kCentreMarkRadius, 0), centre + QPointF(kCentreMarkRadius, 0));
    painter.drawLine(centre - QPointF(0, kCentreMarkRadius), centre + QPointF(0, kCentreMarkRadius));
}

// Red while the stick's button is up, blue while pressed, as in the main
// window.
void StickView::drawPosition(QPainter &painter) const
{
    if (!recent_.latest())
        return;
    const Channels &now = *recent_.latest();
    const QColor colour = vbcolor::toQColor(now[channels_.button] ? vbcolor::kBlue : vbcolor::kRed);
    const double radius = dotRadius();
    painter.setPen(Qt::NoPen);
    painter.setBrush(shown(colour));
    painter.drawEllipse(positionIn(now), radius, radius);
}
