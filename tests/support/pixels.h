#pragma once

#include <QBackingStore>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QWidget>

// What a view drew, told from a picture of it.

// A colour a trace or a stick is drawn in, not a grey.
inline bool saturated(QColor colour)
{
    return colour.hsvSaturation() > 60 && colour.value() > 60;
}

// The pixels of `image` in `area`, given in the widget's own pixels,
// whatever the pixel density, that are `wanted`.
inline int countIn(const QImage &image, const QRect &area, bool (*wanted)(QColor))
{
    const qreal ratio = image.devicePixelRatio();
    const QRect pixels(QPoint(int(area.left() * ratio), int(area.top() * ratio)), area.size() * ratio);
    int count = 0;
    for (int y = pixels.top(); y <= pixels.bottom(); ++y)
        for (int x = pixels.left(); x <= pixels.right(); ++x)
            count += image.valid(x, y) && wanted(image.pixelColor(x, y));
    return count;
}

// Where `colour` was drawn: the bounding box of its pixels, empty if none.
inline QRect pixelsOf(const QImage &image, const QColor &colour)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixelColor(x, y) == colour)
                bounds |= QRect(x, y, 1, 1);
    return bounds;
}

// An image in one format at a pixel ratio of 1, to compare with another.
inline QImage comparable(QImage image)
{
    image = image.convertToFormat(QImage::Format_RGB32);
    image.setDevicePixelRatio(1);
    return image;
}

// What repaints left of a shown widget in its window's backing store, which
// Qt flushes to the screen. Unlike grab(), which paints the widget whole
// afresh, it keeps anything a partial repaint missed.
inline QImage onScreen(const QWidget &widget)
{
    const auto *stored = dynamic_cast<const QImage *>(widget.backingStore()->paintDevice());
    return stored ? comparable(*stored) : QImage();
}
