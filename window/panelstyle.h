#pragma once

#include <QHash>
#include <QPixmap>
#include <QProxyStyle>

// The application's style, except that a text box's frame is drawn from a
// picture made once for each size and look. A box whose text changes many
// times a second would otherwise draw the same antialiased outline each
// time, which costs more than its text: at 20 reports a second a report
// takes 233,000-237,000 instructions with the pictures and 370,000-378,000
// without (callgrind, bench/RESULTS.md). Its CPU moves by less than
// side-by-side runs can tell apart (median 3 % more without).
class PanelStyle final : public QProxyStyle {
public:
    // One shared instance, following the application's style as it was
    // when first asked for, and living as long as the application.
    static PanelStyle &shared();

    void drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                       const QWidget *widget = nullptr) const override;

    // Everything of a frame's option that its pixels depend on.
    struct Look {
        QSize size;
        qreal pixelRatio;
        int state;
        int lineWidth;
        int midLineWidth;
        int features;
        qint64 palette;
        int direction;
        bool operator==(const Look &) const = default;
    };

private:
    PanelStyle();

    mutable QHash<Look, QPixmap> panels_;
};

size_t qHash(const PanelStyle::Look &look, size_t seed = 0);
