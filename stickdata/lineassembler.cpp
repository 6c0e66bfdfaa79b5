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

std::optional<QString> LineAssembler::take(QChar character)
{
    if (character == QLatin1Char(protocol::kLineFeed)) {
        std::optional<QString> line;
        if (!skippingLongLine_)
            line = linea_;
        clear();
        return line;
    }
    if (character.unicode() >= kLowestLineCharacter)
        append(character);
    return std::nullopt;
}

void LineAssembler::append(QChar character)
{
    if (skippingLongLine_)
        return;
    if (linea_.size() >= kMaxLineLength) {
        linea_.resize(0);
        skippingLongLine_ = true;
        return;
    }
    linea_ += character;
}
