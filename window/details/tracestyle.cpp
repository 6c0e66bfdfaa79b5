#include "window/details/tracestyle.h"

namespace tracestyle {

// Halfway to white, so that lost data recedes behind the texts.
QColor shown(const QColor &colour, bool live)
{
    if (live)
        return colour;
    const int grey = 128 + qGray(colour.rgb()) / 2;
    return QColor(grey, grey, grey, colour.alpha());
}

} // namespace tracestyle
