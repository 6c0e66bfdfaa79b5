#include "app/program.h"

#include "seriallink/serialportcontrol.h"

namespace {

std::unique_ptr<SerialControl> orRealPorts(std::unique_ptr<SerialControl> control,
                                           const std::shared_ptr<ComPortMap> &ports)
{
    return control ? std::move(control) : std::make_unique<SerialPortControl>(ports);
}

} // namespace

JoystickMonitor::JoystickMonitor(std::shared_ptr<ComPortMap> ports, std::unique_ptr<SerialControl> control,
                                 LinkTiming timing)
    : ports(std::move(ports))
    , link(orRealPorts(std::move(control), this->ports), this->ports, timing)
    , window(link)
{
}

void JoystickMonitor::start()
{
    window.Form_Load();
}
