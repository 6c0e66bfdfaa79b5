#include "app/commandline.h"
#include "app/desktopidentity.h"
#include "app/monitoroptions.h"
#include "seriallink/comportmap.h"
#include "seriallink/serialportcontrol.h"
#include "window/ventana.h"

#include <QApplication>
#include <QTimer>

#include <memory>

int main(int argc, char *argv[])
{
    // Read before the application exists, which needs a display.
    MonitorOptions options;
    if (const auto exitStatus = parseMonitorOptions(commandline::arguments(argc, argv), options))
        return *exitStatus;
    // options.ports, the devices given with --port, is not passed on yet.
    QApplication app(argc, argv);
    adoptDesktopIdentity();
    const auto ports = ComPortMap::system();
    ventana window(std::make_unique<SerialPortControl>(ports), ventana::kPortWait, ports);
    // Loading runs from the event loop, so that a request to quit is
    // honoured at every moment, discovery included.
    QTimer::singleShot(0, &window, &ventana::Form_Load);
    return app.exec();
}
