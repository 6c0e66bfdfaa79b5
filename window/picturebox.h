#pragma once

#include <QImage>
#include <QWidget>

#include <cstdint>

// A flat picture box with a one-pixel border. Drawing uses a square space
// of 1024 x 1024 units over the area inside the border, origin at its
// top-left corner, y downwards; everything is clipped to that area. What is
// drawn is kept in a backing image, so it survives repaints. Only the
// pixels a call can have changed are repainted: clearing and drawing a
// small shape many times a second stays cheap. At 20 reports a second a
// report takes 233,000-237,000 instructions; 256,000-262,000 with the whole
// box repainted, 293,000-301,000 with that and QPainter's circle as
// well, its CPU then a median 17 % more and the X server's a third to a
// half more (bench/RESULTS.md).
class PictureBox final : public QWidget {
    Q_OBJECT

public:
    static constexpr double kUnits = 1024.0;

    explicit PictureBox(QWidget *parent = nullptr);

    void Cls();
    void Circle(float x, float y, float radius, uint32_t color);
    void Line(float x1, float y1, float x2, float y2, uint32_t color);

    // The drawing area as it stands, at the screen's pixel density.
    QImage drawing() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fill(const QRect &pixels, QRgb rgb);
    // Notes that the image `pixels` may have changed and repaints them.
    void markDrawn(const QRect &pixels);
    void repaintImagePixels(const QRect &pixels);
    QRectF toLogical(const QRect &device) const;
    QRectF toDevice(const QRect &logical) const;
    QSize deviceSize() const;
    // Inside the border, in device pixels.
    QRect drawingArea() const;
    QSize blankImageSize() const;
    QImage blankImage() const;
    template <typename Draw>
    void drawScaled(uint32_t color, const QRectF &units, Draw draw);

    QImage image_;
    // Around everything drawn since the image was last blank, in image
    // pixels; empty while it is blank.
    QRect drawn_;
    // Around the image pixels changed since the box was last painted.
    QRect unpainted_;
    QColor background_;
    QColor foreground_;
};
