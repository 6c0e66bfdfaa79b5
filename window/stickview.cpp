#include "window/stickview.h"

#include "window/tracestyle.h"
#include "window/vbcolor.h"

#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <array>

using namespace std::chrono_literals;

namespace {

constexpr double kUnits = 1024;
// A trail point every 10 ms at most: 201 samples hold two seconds.
constexpr StickView::Time kTrailResolution = 10ms;
constexpr size_t kTrailShades = 8;
constexpr QRgb kOutlineColour = 0x2e7d32;
constexpr QRgb kTrailColour = 0x1565c0;
constexpr QRgb kCalibrationColour = 0xef6c00;
// The position's dot, in units, and never smaller than a few pixels.
constexpr double kDotRadius = 20;
constexpr double kSmallestDotPixels = 4;
constexpr double kCentreMarkRadius = 24;
constexpr int kMargin = 4;

QPen cosmeticPen(const QColor &colour, double width, Qt::PenStyle style = Qt::SolidLine)
{
    QPen pen(colour, width, style);
    pen.setCosmetic(true);
    return pen;
}

} // namespace

StickView::StickView(StickChannels channels, QWidget *parent)
    : QWidget(parent)
    , channels_(channels)
    , trail_(kTrailSpan, kTrailResolution)
    , pacer_(PresentSchedule::Part::Sticks, [this] { update(); })
{
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void StickView::add(Time at, const Report &report)
{
    now_ = channelsOf(report);
    trail_.add(at, report);
    outline_.add(QPoint((*now_)[channels_.x], (*now_)[channels_.y]));
    pacer_.changed();
}

void StickView::setCalibration(const std::optional<StickCalibration> &calibration)
{
    calibration_ = calibration;
    update();
}

void StickView::setLive(bool live)
{
    if (live == live_)
        return;
    live_ = live;
    update();
}

void StickView::reset()
{
    trail_.clear();
    outline_.clear();
    update();
}

// Each pixel is filled once: the window's colour around the square, the
// view's inside. Everything in the square is drawn in units; only what is
// not upright or level is antialiased.
void StickView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRectF square = this->square();
    painter.setClipRegion(QRegion(rect()).subtracted(square.toAlignedRect()));
    painter.fillRect(rect(), palette().window());
    painter.setClipping(false);
    painter.fillRect(square, palette().base());
    painter.setPen(palette().text().color());
    painter.drawRect(square.adjusted(0, 0, -1, -1));
    painter.translate(square.topLeft());
    painter.scale(square.width() / kUnits, square.height() / kUnits);
    painter.setClipRect(QRectF(0, 0, kUnits, kUnits));
    painter.setPen(cosmeticPen(palette().mid().color(), 1, Qt::DotLine));
    painter.drawLine(QPointF(kUnits / 2, 0), QPointF(kUnits / 2, kUnits));
    painter.drawLine(QPointF(0, kUnits / 2), QPointF(kUnits, kUnits / 2));
    drawCalibration(painter);
    painter.setRenderHint(QPainter::Antialiasing);
    drawOutline(painter);
    drawTrail(painter);
    drawPosition(painter);
}

QRectF StickView::square() const
{
    const int side = qMax(1, qMin(width(), height()) - 2 * kMargin);
    return QRectF((width() - side) / 2, (height() - side) / 2, side, side);
}

QColor StickView::shown(const QColor &colour) const
{
    return tracestyle::shown(colour, live_);
}

void StickView::drawOutline(QPainter &painter) const
{
    QPolygonF outline;
    for (const QPoint &point : outline_.outline())
        outline << QPointF(point);
    painter.setPen(cosmeticPen(shown(QColor(kOutlineColour)), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawPolygon(outline);
}

// Each step of the trail as opaque as it is recent, in a few shades: the
// steps of a shade are drawn together.
void StickView::drawTrail(QPainter &painter) const
{
    const Ring<HistorySample> &samples = trail_.samples();
    if (samples.empty())
        return;
    const Time newest = samples.back().at;
    const auto pointOf = [&](size_t i) {
        return QPointF(samples[i].last[channels_.x], samples[i].last[channels_.y]);
    };
    std::array<QList<QLineF>, kTrailShades> shades;
    for (size_t i = trail_.firstFrom(newest - kTrailSpan) + 1; i < samples.size(); ++i) {
        const double age = double((newest - samples[i].at).count()) / double(kTrailSpan.count());
        shades[std::min(kTrailShades - 1, size_t(age * kTrailShades))] << QLineF(pointOf(i - 1), pointOf(i));
    }
    QColor colour = shown(QColor(kTrailColour));
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
    const QColor colour = shown(QColor(kCalibrationColour));
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
    if (!now_)
        return;
    const Channels &now = *now_;
    const QColor colour = vbcolor::toQColor(now[channels_.button] ? vbcolor::kBlue : vbcolor::kRed);
    const double radius = qMax(kDotRadius, kSmallestDotPixels * kUnits / square().width());
    painter.setPen(Qt::NoPen);
    painter.setBrush(shown(colour));
    painter.drawEllipse(QPointF(now[channels_.x], now[channels_.y]), radius, radius);
}
