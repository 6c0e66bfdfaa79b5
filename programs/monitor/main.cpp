#include "programs/common/commandline.h"
#include "programs/common/parentconsole.h"
#include "programs/common/terminationsignals.h"
#include "programs/desktop/desktopidentity.h"
#include "programs/desktop/display.h"
#include "programs/monitor/joystickmonitor.h"
#include "programs/monitor/monitorgamepad.h"
#include "programs/monitor/monitoroptions.h"

int main(int argc, char *argv[])
{
    useParentConsole();
    // Read before the application exists, which needs a display.
    MonitorOptions options;
    if (const auto exitStatus = parseMonitorOptions(commandline::arguments(argc, argv), options))
        return *exitStatus;
    // A file that cannot be recorded to is refused before any window opens.
    std::unique_ptr<RowFile> recording;
    if (!options.record.isEmpty()) {
        recording = RowFile::append(options.record);
        if (!recording->isOpen())
            return commandline::refuse(cannotRecordTo(*recording));
    }
    // SIGINT and SIGTERM, or Ctrl-C, close the window as its close box
    // does: the port is released and a recording synced before the program
    // ends.
    holdTerminationRequests();
    const auto app = openDisplay(argc, argv);
    adoptDesktopIdentity();
    JoystickMonitor monitor(options.ports.isEmpty() ? ComPortMap::system() : ComPortMap::named(options.ports));
    if (recording)
        monitor.record(std::move(recording));
    const MonitorGamepad gamepad(monitor, options);
    onTerminationRequest(&monitor.window(), [&] { monitor.window().close(); });
    monitor.start();
    if (options.details)
        monitor.showDetails();
    return app->exec();
}
