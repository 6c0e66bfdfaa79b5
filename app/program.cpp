#include "app/program.h"

#include <QtGlobal>

JoystickMonitor::JoystickMonitor(std::shared_ptr<ComPortMap> ports, std::unique_ptr<SerialControl> control,
                                 LinkTiming timing)
    : BoardSession(std::move(ports), std::move(control), timing)
    , window(link, model)
{
}

// On X11, Qt hands a window's pixels to the server in shared memory and,
// before painting over them again, waits for the server to say it has read
// them: a round trip every frame. This window repaints a few small areas up
// to about 33 times a second; sent with the request, those pixels cost the
// program and the server less. Qt only asks whether the variable is set.
void JoystickMonitor::prepareDisplay()
{
    qputenv("QT_XCB_NO_MITSHM", "1");
}

void JoystickMonitor::start()
{
    window.Form_Load();
}
