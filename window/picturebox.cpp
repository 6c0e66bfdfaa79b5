#include "window/picturebox.h"

#include "window/vbcolor.h"

#include <QPaintEvent>
#include <QPainter>

PictureBox::PictureBox(QWidget *parent)
    : QWidget(parent)
    , background_(vbcolor::toQColor(vbcolor::kSystemWindow))
    , foreground_(vbcolor::toQColor(vbcolor::kSystemWindowText))
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PictureBox::Cls()
{
    if (image_.size() == blankImageSize())
        image_.fill(background_);
    else
        image_ = blankImage();
    update();
}

// Plots the outline pixel by pixel (midpoint circle), one device pixel
// wide: a circle is redrawn for every report, and this costs a fraction of
// what a painter does.
void PictureBox::Circle(float x, float y, float radius, uint32_t color)
{
    const double pixelsPerUnit = image_.width() / kUnits;
    const QPoint centre(qRound(x * pixelsPerUnit), qRound(y * pixelsPerUnit));
    const int r = qRound(radius * pixelsPerUnit);
    const QRgb rgb = vbcolor::toQColor(color).rgb();
    int dx = r;
    int dy = 0;
    int error = 1 - r;
    while (dx >= dy) {
        for (const QPoint offset : {QPoint(dx, dy), QPoint(dy, dx)})
            for (const QPoint sign : {QPoint(1, 1), QPoint(-1, 1), QPoint(1, -1), QPoint(-1, -1)})
                plot(centre + QPoint(offset.x() * sign.x(), offset.y() * sign.y()), rgb);
        ++dy;
        if (error < 0) {
            error += 2 * dy + 1;
        } else {
            --dx;
            error += 2 * (dy - dx) + 1;
        }
    }
    update();
}

void PictureBox::Line(float x1, float y1, float x2, float y2, uint32_t color)
{
    drawScaled(color, [&](QPainter &painter) { painter.drawLine(QPointF(x1, y1), QPointF(x2, y2)); });
}

QImage PictureBox::drawing() const
{
    return image_;
}

// Works in whole device pixels, so that at a fractional pixel density the
// border is as thick on every side and the backing image is shown one to
// one.
void PictureBox::paintEvent(QPaintEvent *)
{
    const qreal ratio = devicePixelRatioF();
    const auto toLogical = [ratio](const QRect &device) {
        return QRectF(QPointF(device.topLeft()) / ratio, QSizeF(device.size()) / ratio);
    };
    QPainter painter(this);
    painter.fillRect(toLogical(QRect(QPoint(0, 0), deviceSize())), foreground_);
    painter.drawImage(toLogical(drawingArea()), image_);
}

// Keeps what was drawn when the box is resized or moves to a screen of
// another pixel density; the backing image follows the new size.
void PictureBox::resizeEvent(QResizeEvent *)
{
    QImage resized = blankImage();
    QPainter painter(&resized);
    painter.drawImage(QRectF(QPointF(0, 0), resized.deviceIndependentSize()), image_);
    image_ = resized;
}

void PictureBox::plot(QPoint pixel, QRgb rgb)
{
    if (image_.rect().contains(pixel))
        reinterpret_cast<QRgb *>(image_.scanLine(pixel.y()))[pixel.x()] = rgb;
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

template <typename Draw>
void PictureBox::drawScaled(uint32_t color, Draw draw)
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
    update();
}
