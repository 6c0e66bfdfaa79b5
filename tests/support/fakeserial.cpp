#include "support/fakeserial.h"

void FakeSerial::receive(const QByteArray &bytes)
{
    waiting_.append(bytes);
    waiting_.deliver(rThreshold_, [this] { return open_; }, [this] {
        commEvent_ = kEventReceive;
        emit OnComm();
    });
}

void FakeSerial::loseDevice()
{
    open_ = false;
    lost_ = true;
    waiting_.clear();
}

void FakeSerial::setPortOpen(bool open)
{
    if (open && open_)
        throw SerialError("already open");
    if (open && failing.contains(commPort_))
        throw SerialError(QStringLiteral("COM%1: cannot open").arg(commPort_).toStdString(), failing[commPort_]);
    open_ = open;
    if (!open)
        waiting_.clear();
    if (open) {
        lost_ = false;
        opened.append(commPort_);
    }
}

void FakeSerial::setCommPort(int16_t port)
{
    if (open_)
        throw SerialError("port is open");
    commPort_ = port;
}

void FakeSerial::setOutput(const QString &text)
{
    if (!open_)
        throw SerialError(lost_ ? "the device went away" : "no port is open",
                          lost_ ? PortProblem::DeviceGone : PortProblem::NotOpen);
    written.append(text.toLatin1());
}
