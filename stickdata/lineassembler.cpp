#include "stickdata/lineassembler.h"

#include "stickdata/protocol.h"

void LineAssembler::portChanged()
{
    skippingLongLine_ = false;
}

void LineAssembler::clear()
{
    linea_.resize(0);
    skippingLongLine_ = false;
}

LineAssembler::Taken LineAssembler::take(QChar character)
{
    Taken taken;
    if (character == QLatin1Char(protocol::kLineFeed)) {
        if (!skippingLongLine_)
            taken.line = linea_;
        clear();
    } else if (character.unicode() >= kLowestLineCharacter) {
        taken.dropped = !append(character);
    }
    return taken;
}

bool LineAssembler::append(QChar character)
{
    if (skippingLongLine_)
        return true;
    if (linea_.size() >= kMaxLineLength) {
        linea_.resize(0);
        skippingLongLine_ = true;
        return false;
    }
    linea_ += character;
    return true;
}
