#include "support/fakeserial.h"

void FakeSerial::receive(const QByteArray &bytes)
{
    waiting_.append(bytes);
    waiting_.deliver(rThreshold_, [this] { return open_; }, [this] {
        commEvent_ = kEventReceive;
        emit OnComm();
    });
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
}

void FakeSerial::setSThreshold(int16_t threshold)
{
    calls.append(QStringLiteral("SThreshold=%1").arg(threshold));
}

void FakeSerial::setRThreshold(int16_t threshold)
{
    calls.append(QStringLiteral("RThreshold=%1").arg(threshold));
    rThreshold_ = threshold;
}

void FakeSerial::setInputMode(int32_t mode)
{
    calls.append(QStringLiteral("InputMode=%1").arg(mode));
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
