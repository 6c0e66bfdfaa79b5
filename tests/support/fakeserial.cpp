#include "support/fakeserial.h"

void FakeSerial::receive(const QByteArray &bytes)
{
    waiting_.append(bytes);
    while (!waiting_.isEmpty()) {
        const qsizetype before = waiting_.size();
        commEvent_ = kEventReceive;
        emit OnComm();
        if (waiting_.size() >= before)
            break;
    }
}

bool FakeSerial::PortOpen() const
{
    return open_;
}

void FakeSerial::setPortOpen(bool open)
{
    calls.append(QStringLiteral("PortOpen=%1").arg(open ? "true" : "false"));
    if (open && (open_ || absentPorts.contains(commPort_)))
        throw SerialError("cannot open");
    open_ = open;
}

void FakeSerial::setCommPort(int16_t port)
{
    calls.append(QStringLiteral("CommPort=%1").arg(port));
    if (open_)
        throw SerialError("port is open");
    commPort_ = port;
}

void FakeSerial::setSettings(const QString &settings)
{
    calls.append(QStringLiteral("Settings=") + settings);
    settings_ = settings;
}

void FakeSerial::setSThreshold(int16_t threshold)
{
    calls.append(QStringLiteral("SThreshold=%1").arg(threshold));
    sThreshold_ = threshold;
}

void FakeSerial::setRThreshold(int16_t threshold)
{
    calls.append(QStringLiteral("RThreshold=%1").arg(threshold));
    rThreshold_ = threshold;
}

void FakeSerial::setInputMode(int32_t mode)
{
    calls.append(QStringLiteral("InputMode=%1").arg(mode));
    inputMode_ = mode;
}

void FakeSerial::setInputLen(int16_t length)
{
    calls.append(QStringLiteral("InputLen=%1").arg(length));
    inputLen_ = length;
}

void FakeSerial::setOutput(const QString &text)
{
    if (!open_)
        throw SerialError("no port is open");
    written.append(text.toLatin1());
}

QString FakeSerial::Input()
{
    const qsizetype count = inputLen_ == 0 ? waiting_.size() : qMin<qsizetype>(inputLen_, waiting_.size());
    const QString text = QString::fromLatin1(waiting_.first(count));
    waiting_.remove(0, count);
    return text;
}
