#include "seriallink/receivequeue.h"

#include <QScopedValueRollback>

QString ReceiveQueue::read(int16_t length)
{
    const qsizetype count = length == 0 ? bytes_.size() : qMin<qsizetype>(length, bytes_.size());
    const QString text = QString::fromLatin1(bytes_.first(count));
    bytes_.remove(0, count);
    return text;
}

void ReceiveQueue::deliver(int16_t threshold, const std::function<bool()> &isOpen,
                           const std::function<void()> &raiseEvent)
{
    if (delivering_ || threshold == 0)
        return;
    const QScopedValueRollback delivering(delivering_, true);
    while (isOpen() && bytes_.size() >= threshold) {
        const qsizetype before = bytes_.size();
        raiseEvent();
        if (bytes_.size() >= before)
            break;
    }
}
