#include "programs/monitor/monitorgamepad.h"

// Windows makes virtual joysticks only through a driver (vJoy's), which is
// not built here: the monitor offers no game controller, and its details
// window shows no box for one.
class MonitorGamepad::Switch {};

QList<commandline::OptionRule<MonitorOptions>> MonitorGamepad::optionRules()
{
    return {};
}

MonitorGamepad::MonitorGamepad(JoystickMonitor &, const MonitorOptions &) {}

MonitorGamepad::~MonitorGamepad() = default;
