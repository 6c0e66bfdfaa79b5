#include "support/monitor.h"

#include "seriallink/serialportcontrol.h"

Monitor::Monitor(const QStringList &devices, std::chrono::milliseconds portWait)
    : devices(devices)
    , ports(std::make_shared<ComPortMap>([this] { return this->devices; }))
    , window(std::make_unique<SerialPortControl>(ports), portWait, ports)
{
    ports->readDevices();
    QObject::connect(window.Info, &QLineEdit::textChanged, window.Info,
                     [this](const QString &text) { status.append("Info: " + text); });
    QObject::connect(window.Bconsola, &QLineEdit::textChanged, window.Bconsola,
                     [this](const QString &text) { status.append("Bconsola: " + text); });
}

void Monitor::setDevices(const QStringList &devices)
{
    this->devices = devices;
    ports->devicesMayHaveChanged();
}
