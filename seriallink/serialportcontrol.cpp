#include "seriallink/serialportcontrol.h"

#include "seriallink/portproblem.h"
#include "seriallink/statustext.h"

#include <QFile>
#include <QSignalBlocker>

#include <utility>

namespace {

[[noreturn]] void fail(const QString &message, PortProblem problem = PortProblem::Other)
{
    throw SerialError(message.toStdString(), problem);
}

// What takes a port away while it is open: the device gone (cable pulled,
// pty hung up) reads as a read or resource error on Linux, and as an error
// Qt cannot name on Windows.
bool losesThePort(QSerialPort::SerialPortError error)
{
    return error == QSerialPort::ReadError || error == QSerialPort::ResourceError || error == QSerialPort::UnknownError;
}

} // namespace

SerialPortControl::SerialPortControl(std::shared_ptr<const ComPortMap> ports, QObject *parent)
    : SerialControl(parent)
    , ports_(std::move(ports))
    , port_(this)
{
    connect(&port_, &QSerialPort::readyRead, this, &SerialPortControl::takeArrivedBytes);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialPortControl::handleError);
}

bool SerialPortControl::PortOpen() const
{
    return port_.isOpen();
}

void SerialPortControl::setPortOpen(bool open)
{
    if (open)
        this->open();
    else
        close();
}

void SerialPortControl::setCommPort(int16_t port)
{
    if (PortOpen())
        fail(QStringLiteral("cannot select COM%1 while COM%2 is open").arg(port).arg(commPort_));
    if (port < 1)
        fail(QStringLiteral("invalid port number %1").arg(port));
    commPort_ = port;
}

void SerialPortControl::setSettings(const QString &settings)
{
    lineSettings_ = parseLineSettings(settings);
    if (PortOpen())
        applySettings();
}

// Transmit events are never raised, so the threshold only has to be valid.
void SerialPortControl::setSThreshold(int16_t threshold)
{
    if (threshold < 0)
        fail(QStringLiteral("invalid transmit threshold %1").arg(threshold));
}

void SerialPortControl::setRThreshold(int16_t threshold)
{
    if (threshold < 0)
        fail(QStringLiteral("invalid receive threshold %1").arg(threshold));
    rThreshold_ = threshold;
    deliverReceived();
}

void SerialPortControl::setInputMode(int32_t mode)
{
    if (mode != kInputModeText)
        fail(QStringLiteral("unsupported input mode %1: only text (0) is available").arg(mode));
}

void SerialPortControl::setInputLen(int16_t length)
{
    if (length < 0)
        fail(QStringLiteral("invalid read length %1").arg(length));
    inputLen_ = length;
}

void SerialPortControl::setOutput(const QString &text)
{
    if (!PortOpen())
        failNotOpen();
    const QByteArray bytes = text.toLatin1();
    if (port_.write(bytes) != bytes.size())
        fail(QStringLiteral("write to COM%1 failed: %2").arg(commPort_).arg(port_.errorString()));
}

QString SerialPortControl::Input()
{
    return received_.read(inputLen_);
}

int16_t SerialPortControl::CommEvent() const
{
    return commEvent_;
}

void SerialPortControl::releasePortLock()
{
    if (!lockFile_.isEmpty())
        QFile::remove(lockFile_);
    lockFile_.clear();
}

void SerialPortControl::open()
{
    if (PortOpen())
        fail(QStringLiteral("COM%1 is already open").arg(commPort_));
    const QString device = ports_->devicePath(commPort_);
    if (device.isEmpty())
        failAbsent();
    port_.setPortName(device);
    applySettings();
    if (!port_.open(QIODevice::ReadWrite)) {
        const OpenFailure failure = explainOpenFailure(commPort_, device, port_.error(), port_.errorString(), locks_);
        fail(failure.reason, failure.problem);
    }
    discardWhatCameBefore();
    raiseDataTerminalReady();
    received_.clear();
    device_ = device;
    deviceLost_ = false;
    lockFile_ = locks_.ownLockFile(device);
}

// What the device sent while no program had it open waited in the
// system's input queue (Qt 6.7 and later empty it on open, Qt 6.4 does
// not): a board that sends unasked would have its reports of long ago read
// as new, all at once. Emptied before the event loop can read from the port,
// so that nothing read comes from before the open. A board that announces
// itself does so again within a second. A port that cannot empty its queue
// works as well without: its refusal is neither reported nor kept.
void SerialPortControl::discardWhatCameBefore()
{
    const QSignalBlocker quiet(port_);
    port_.clear(QSerialPort::Input);
    port_.clearError();
}

// A board with native USB sends nothing until the terminal says it is
// ready, which Windows does not do by itself. A port that cannot say so (a
// pty refuses with ENOTTY) works as well without: its refusal is neither
// reported nor kept as the port's error.
void SerialPortControl::raiseDataTerminalReady()
{
    const QSignalBlocker quiet(port_);
    port_.setDataTerminalReady(true);
    port_.clearError();
}

void SerialPortControl::close()
{
    if (port_.isOpen())
        port_.close();
    received_.clear();
    lockFile_.clear();
}

void SerialPortControl::applySettings()
{
    const bool applied = port_.setBaudRate(lineSettings_.baudRate) && port_.setParity(lineSettings_.parity)
                         && port_.setDataBits(lineSettings_.dataBits) && port_.setStopBits(lineSettings_.stopBits);
    if (!applied)
        fail(QStringLiteral("COM%1: cannot apply the line settings: %2").arg(commPort_).arg(port_.errorString()));
}

void SerialPortControl::takeArrivedBytes()
{
    received_.append(port_.readAll());
    deliverReceived();
}

void SerialPortControl::deliverReceived()
{
    received_.deliver(
        rThreshold_, [this] { return PortOpen(); },
        [this] {
            commEvent_ = kEventReceive;
            emit OnComm();
        });
}

// A device that goes away (cable pulled) keeps failing on every pass of
// the event loop while the port stays open; closing it stops that.
void SerialPortControl::handleError(QSerialPort::SerialPortError error)
{
    if (!port_.isOpen() || !losesThePort(error))
        return;
    close();
    deviceLost_ = true;
}

// A path the user named is told by its name, the others by their number.
void SerialPortControl::failAbsent() const
{
    const QString name = ports_->deviceName(commPort_);
    if (name.isEmpty())
        fail(QStringLiteral("COM%1: no such port").arg(commPort_), PortProblem::NoSuchDevice);
    fail(explainAbsentDevice(commPort_, name), PortProblem::NoSuchDevice);
}

void SerialPortControl::failNotOpen() const
{
    if (deviceLost_)
        fail(statustext::portName(commPort_, device_) + QStringLiteral(": the device went away"),
             PortProblem::DeviceGone);
    fail(QStringLiteral("cannot write: no port is open"), PortProblem::NotOpen);
}
