#include "window/picturebox.h"

#include "window/vbcolor.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include <algorithm>

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent)
    , background_(vbcolor::toQColor(vbcolor::kSystemWindow))
    , foreground_(vbcolor::toQColor(vbcolor::kSystemWindowText))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

// Clears only what was drawn since the image was last blank.
void PictureBox::Cls()
{
    if (image_.size() != blankImageSize()) {
        image_ = blankImage();
        drawn_ = QRect();
        update();
        return;
    }
    if (drawn_.isEmpty())
        return;
    fill(drawn_, background_.rgb());
    repaintImagePixels(drawn_);
    drawn_ = QRect();
}

// Plots the outline pixel by pixel (midpoint circle), one device pixel
// wide: a circle is redrawn for every report, and QPainter's drawEllipse
// takes a report at 20 a second from 233,000-237,000 instructions to
// 270,000-274,000 (callgrind, bench/RESULTS.md). The image is detached from
// any copy once, not for every pixel.
void PictureBox::Circle(float x, float y, float radius, uint32_t color)
{
    const double pixelsPerUnit = image_.width() / kUnits;
    const QPoint centre(qRound(x * pixelsPerUnit), qRound(y * pixelsPerUnit));
    const int r = qRound(radius * pixelsPerUnit);
    const QRgb rgb = vbcolor::toQColor(color).rgb();
    const QRect area = image_.rect();
    QRgb *const pixels = reinterpret_cast<QRgb *>(image_.bits());
    const qsizetype pixelsPerLine = image_.bytesPerLine() / qsizetype(sizeof(QRgb));
    const auto plot = [&](QPoint pixel) {
        if (area.contains(pixel))
            pixels[pixel.y() * pixelsPerLine + pixel.x()] = rgb;
    };
    int dx = r;
    int dy = 0;
    int error = 1 - r;
    while (dx >= dy) {
        for (const QPoint offset : {QPoint(dx, dy), QPoint(dy, dx)})
            for (const QPoint sign : {QPoint(1, 1), QPoint(-1, 1), QPoint(1, -1), QPoint(-1, -1)})
                plot(centre + QPoint(offset.x() * sign.x(), offset.y() * sign.y()));
        ++dy;
        if (error < 0) {
            error += 2 * dy + 1;
        } else {
            --dx;
            error += 2 * (dy - dx) + 1;
        }
    }
    markDrawn(QRect(centre, centre).adjusted(-r, -r, r, r));
}

void PictureBox::Line(float x1, float y1, float x2, float y2, uint32_t color)
{
    const QLineF line(x1, y1, x2, y2);
    drawScaled(color, QRectF(line.p1(), line.p2()).normalized(), [&](QPainter &painter) { painter.drawLine(line); });
}

QImage PictureBox::drawing() const
{
    return image_;
}

// Works in whole device pixels, so that at a fractional pixel density the
// border is as thick on every side and the backing image is shown one to
// one. Paints only the part of the border and of the image in the event's
// region.
void PictureBox::paintEvent(QPaintEvent *event)
{
    unpainted_ = QRect();
    QRegion region;
    for (const QRect &logical : event->region())
        region += toDevice(logical).toAlignedRect();
    region &= QRect(QPoint(0, 0), deviceSize());
    const QRect inside = drawingArea();
    QPainter painter(this);
    for (const QRect &border : region.subtracted(inside))
        painter.fillRect(toLogical(border), foreground_);
    for (const QRect &shown : region.intersected(inside))
        painter.drawImage(toLogical(shown), image_, shown.translated(-inside.topLeft()));
}

// Keeps what was drawn when the box is resized or moves to a screen of
// another pixel density; the backing image follows the new size.
void PictureBox::resizeEvent(QResizeEvent *)
{
    QImage resized = blankImage();
    QPainter painter(&resized);
    painter.drawImage(QRectF(QPointF(0, 0), resized.deviceIndependentSize()), image_);
    image_ = resized;
    drawn_ = drawn_.isEmpty() ? QRect() : image_.rect();
}

void PictureBox::fill(const QRect &pixels, QRgb rgb)
{
    for (int y = pixels.top(); y <= pixels.bottom(); ++y) {
        QRgb *line = reinterpret_cast<QRgb *>(image_.scanLine(y));
        std::fill(line + pixels.left(), line + pixels.right() + 1, rgb);
    }
}

// An empty rectangle (a circle of negative radius) marks nothing; `&`
// would first turn it the right way round.
void PictureBox::markDrawn(const QRect &pixels)
{
    if (pixels.isEmpty())
        return;
    const QRect changed = pixels & image_.rect();
    if (changed.isEmpty())
        return;
    drawn_ |= changed;
    repaintImagePixels(changed);
}

// Asks for one rectangle around everything changed since the last paint:
// Qt paints and flushes it in one piece, where separate rectangles for the
// old and the new circle would cost a piece each. At a fractional pixel
// density the logical rectangle takes in the device pixels its edges cut.
void PictureBox::repaintImagePixels(const QRect &pixels)
{
    const QRect grown = unpainted_ | pixels;
    if (grown == unpainted_)
        return;
    unpainted_ = grown;
    update(toLogical(unpainted_.translated(drawingArea().topLeft())).toAlignedRect());
}

QRectF PictureBox::toLogical(const QRect &device) const
{
    const qreal ratio = devicePixelRatioF();
    return QRectF(QPointF(device.topLeft()) / ratio, QSizeF(device.size()) / ratio);
}

QRectF PictureBox::toDevice(const QRect &logical) const
{
    const qreal ratio = devicePixelRatioF();
    return QRectF(QPointF(logical.topLeft()) * ratio, QSizeF(logical.size()) * ratio);
}

QSize PictureBox::deviceSize() const
{
    return (QSizeF(size()) * devicePixelRatioF()).toSize();
}

// The one-pixel border scaled to the pixel density and rounded to whole
// device pixels, never thinner than one.
QRect PictureBox::drawingArea() const
{
    const int border = qMax(1, qRound(devicePixelRatioF()));
    return QRect(QPoint(0, 0), deviceSize()).adjusted(border, border, -border, -border);
}

QSize PictureBox::blankImageSize() const
{
    return drawingArea().size().expandedTo(QSize(1, 1));
}

QImage PictureBox::blankImage() const
{
    QImage image(blankImageSize(), QImage::Format_RGB32);
    image.setDevicePixelRatio(devicePixelRatioF());
    image.fill(background_);
    return image;
}

// `units` bounds what `draw` draws; a one-pixel pen can stray a pixel
// beyond it when rounding to pixels.
template <typename Draw>
void PictureBox::drawScaled(uint32_t color, const QRectF &units, Draw draw)
{
    {
        QPainter painter(&image_);
        const QSizeF area = image_.deviceIndependentSize();
        painter.scale(area.width() / kUnits, area.height() / kUnits);
        QPen pen(vbcolor::toQColor(color));
        pen.setCosmetic(true);
        pen.setWidth(1);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        draw(painter);
    }
    const QRectF pixels(units.x() * image_.width() / kUnits, units.y() * image_.height() / kUnits,
                        units.width() * image_.width() / kUnits, units.height() * image_.height() / kUnits);
    markDrawn(pixels.adjusted(-1, -1, 1, 1).intersected(QRectF(image_.rect())).toAlignedRect());
}
