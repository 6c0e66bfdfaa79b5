#pragma once

#include "programs/common/commandline.h"
#include "programs/gamepad/gamepadoptions.h"
#include "programs/monitor/monitoroptions.h"

#include <memory>

class JoystickMonitor;

// The board as a game controller from the monitor's own session, where the
// system can make one (Linux, through uinput): turned on at start with
// --gamepad or from the details window's box, its state shown there, and
// the monitor polling after each answer while it is on. One implementation
// per system.
class MonitorGamepad {
public:
    // --gamepad and the options it takes; none where there is no game
    // controller to make.
    static QList<commandline::OptionRule<MonitorOptions>> optionRules();

    MonitorGamepad(JoystickMonitor &monitor, const MonitorOptions &options);
    ~MonitorGamepad();
    MonitorGamepad(const MonitorGamepad &) = delete;
    MonitorGamepad &operator=(const MonitorGamepad &) = delete;

private:
    class Switch;
    std::unique_ptr<Switch> switch_;
};
