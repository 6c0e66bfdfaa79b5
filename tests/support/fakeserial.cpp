#include "tests/support/fakeserial.h"

void FakeSerial::receive(const QByteArray &bytes)
{
    waiting_.append(bytes);
    waiting_.deliver(
        rThreshold_, [this] { return open_; },
        [this] {
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
    if (!open) {
        open_ = false;
        waiting_.clear();
        return;
    }
    if (open_)
        throw SerialError("already open");
    attempts.append(commPort_);
    const QString where = QStringLiteral("COM%1").arg(commPort_);
    if (ports_ && ports_->devicePath(commPort_).isEmpty())
        throw SerialError((where + ": no such port").toStdString(), PortProblem::NoSuchDevice);
    if (failing.contains(commPort_))
        throw SerialError((where + ": cannot open").toStdString(), failing[commPort_]);
    open_ = true;
    lost_ = false;
    openings.append(commPort_);
    emit portOpened(commPort_);
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
    emit textWritten();
}
