#include "tests/support/monitor.h"

using namespace std::chrono_literals;

std::shared_ptr<ComPortMap> fixedPorts(const QStringList &devices)
{
    auto ports = std::make_shared<ComPortMap>([devices] { return devices; });
    ports->readDevices();
    return ports;
}

LinkTiming testTiming()
{
    LinkTiming timing;
    timing.portWait = 700ms;
    timing.settle = 100ms;
    return timing;
}

Monitor::Monitor(const QStringList &devices, LinkTiming timing, std::unique_ptr<SerialControl> control,
                 const std::shared_ptr<LinkClock> &clock)
    : devices(devices)
    , ports(std::make_shared<ComPortMap>([this] { return this->devices; }))
    , program(ports, std::move(control), timing, clock)
{
    QObject::connect(window.Info, &QLineEdit::textChanged, window.Info,
                     [this](const QString &text) { status.append("Info: " + text); });
    QObject::connect(window.Bconsola, &QLineEdit::textChanged, window.Bconsola,
                     [this](const QString &text) { status.append("Bconsola: " + text); });
}

void Monitor::setDevices(const QStringList &devices)
{
    this->devices = devices;
    emit ports->devicesMayHaveChanged();
}
