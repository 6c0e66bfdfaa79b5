#include "app/commandline.h"
#include "app/desktopidentity.h"
#include "app/monitoroptions.h"
#include "app/program.h"

int main(int argc, char *argv[])
{
    // Read before the application exists, which needs a display.
    MonitorOptions options;
    if (const auto exitStatus = parseMonitorOptions(commandline::arguments(argc, argv), options))
        return *exitStatus;
    const auto app = JoystickMonitor::openDisplay(argc, argv);
    adoptDesktopIdentity();
    JoystickMonitor monitor(options.ports.isEmpty() ? ComPortMap::system() : ComPortMap::named(options.ports));
    monitor.start();
    return app->exec();
}
