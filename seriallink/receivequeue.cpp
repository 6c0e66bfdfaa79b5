#include "seriallink/receivequeue.h"

#include <QScopedValueRollback>

#include <array>

namespace {

// Reading one character per receive event is the usual way, thousands of
// times a second: each read shares a ready-made string instead of
// allocating one.
QString oneCharacter(char byte)
{
    static const std::array<QString, 256> strings = [] {
        std::array<QString, 256> all;
        for (size_t code = 0; code < all.size(); ++code)
            all[code] = QString(QChar(char16_t(code)));
        return all;
    }();
    return strings[static_cast<unsigned char>(byte)];
}

} // namespace

void ReceiveQueue::clear()
{
    bytes_.resize(0);
    firstWaiting_ = 0;
}

QString ReceiveQueue::read(int16_t length)
{
    const qsizetype count = length == 0 ? waiting() : qMin<qsizetype>(length, waiting());
    QString text = count == 1 ? oneCharacter(bytes_[firstWaiting_])
                              : QString::fromLatin1(bytes_.sliced(firstWaiting_, count));
    firstWaiting_ += count;
    if (waiting() == 0)
        clear();
    return text;
}

void ReceiveQueue::deliver(int16_t threshold, const std::function<bool()> &isOpen,
                           const std::function<void()> &raiseEvent)
{
    if (delivering_ || threshold == 0)
        return;
    const QScopedValueRollback delivering(delivering_, true);
    while (isOpen() && waiting() >= threshold) {
        const qsizetype before = waiting();
        raiseEvent();
        if (waiting() >= before)
            break;
    }
}
