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

void PictureBox::setColors(uint32_t background, uint32_t foreground)
{
    background_ = vbcolor::toQColor(background);
    foreground_ = vbcolor::toQColor(foreground);
    Cls();
}

void PictureBox::Cls()
{
    image_ = blankImage();
    update();
}

void PictureBox::Circle(float x, float y, float radius, uint32_t color)
{
    drawScaled(color, [&](QPainter &painter) { painter.drawEllipse(QPointF(x, y), radius, radius); });
}

void PictureBox::Line(float x1, float y1, float x2, float y2, uint32_t color)
{
    drawScaled(color, [&](QPainter &painter) { painter.drawLine(QPointF(x1, y1), QPointF(x2, y2)); });
}

QImage PictureBox::drawing() const
{
    return image_;
}

void PictureBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setPen(foreground_);
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
    painter.drawImage(drawingArea().topLeft(), image_);
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

QRect PictureBox::drawingArea() const
{
    return rect().adjusted(1, 1, -1, -1);
}

QImage PictureBox::blankImage() const
{
    const qreal ratio = devicePixelRatioF();
    const QSize logical = drawingArea().size().expandedTo(QSize(1, 1));
    QImage image(logical * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
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
