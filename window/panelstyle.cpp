#include "window/panelstyle.h"

#include <QApplication>
#include <QPainter>
#include <QPointer>
#include <QStyleFactory>
#include <QStyleOptionFrame>

namespace {

// A few sizes and looks are all a window shows; more than this means the
// palette or the screen changed, and the old pictures are not needed.
constexpr qsizetype kMostPanels = 64;

PanelStyle::Look lookOf(const QStyleOptionFrame &frame, qreal pixelRatio)
{
    return {frame.rect.size(), pixelRatio,        int(frame.state),         frame.lineWidth,
            frame.midLineWidth, int(frame.features), frame.palette.cacheKey(), int(frame.direction)};
}

} // namespace

size_t qHash(const PanelStyle::Look &look, size_t seed)
{
    return qHashMulti(seed, look.size.width(), look.size.height(), look.pixelRatio, look.state, look.lineWidth,
                      look.midLineWidth, look.features, look.palette, look.direction);
}

PanelStyle &PanelStyle::shared()
{
    static QPointer<PanelStyle> style;
    if (!style) {
        style = new PanelStyle;
        style->setParent(qApp);
    }
    return *style;
}

PanelStyle::PanelStyle()
    : QProxyStyle(QStyleFactory::create(QApplication::style()->name()))
{
}

void PanelStyle::drawPrimitive(PrimitiveElement element, const QStyleOption *option, QPainter *painter,
                               const QWidget *widget) const
{
    const auto *frame = qstyleoption_cast<const QStyleOptionFrame *>(option);
    if (element != PE_PanelLineEdit || !frame || frame->rect.isEmpty()) {
        QProxyStyle::drawPrimitive(element, option, painter, widget);
        return;
    }
    const qreal pixelRatio = painter->device()->devicePixelRatioF();
    const Look look = lookOf(*frame, pixelRatio);
    auto panel = panels_.constFind(look);
    if (panel == panels_.constEnd()) {
        if (panels_.size() >= kMostPanels)
            panels_.clear();
        QPixmap picture((QSizeF(frame->rect.size()) * pixelRatio).toSize());
        picture.setDevicePixelRatio(pixelRatio);
        picture.fill(Qt::transparent);
        QStyleOptionFrame atOrigin = *frame;
        atOrigin.rect.moveTo(0, 0);
        QPainter onPicture(&picture);
        QProxyStyle::drawPrimitive(element, &atOrigin, &onPicture, widget);
        onPicture.end();
        panel = panels_.insert(look, picture);
    }
    painter->drawPixmap(frame->rect.topLeft(), *panel);
}
