#pragma once

#include "programs/monitor/joystickmonitor.h"
#include "seriallink/linkclock.h"

#include <QStringList>

#include <memory>

// A device map with a fixed list, already read.
std::shared_ptr<ComPortMap> fixedPorts(const QStringList &devices);

// Timing for tests: a short port wait and settle delay, the real poll
// interval and silence limits. The port wait is still longer than the half
// second between a board's announcements, as the real one is: only what a
// board sends once its port is open is read, so a board made just before
// it is opened may have announced itself too early.
LinkTiming testTiming();

// The monitor program over a device list the test changes (entry n-1 is
// COMn, an empty entry an absent port), as when boards are plugged in or
// pulled. Without a `control` it runs on the real serial layer. Every text
// Info and Bconsola show is recorded in `status`, prefixed by the box's
// name.
class Monitor {
public:
    explicit Monitor(const QStringList &devices, LinkTiming timing = testTiming(),
                     std::unique_ptr<SerialControl> control = nullptr,
                     const std::shared_ptr<LinkClock> &clock = LinkClock::eventLoop());

    // Changes the devices present and sends the notice the system sends
    // when device nodes come and go.
    void setDevices(const QStringList &devices);

    QStringList devices;
    const std::shared_ptr<ComPortMap> ports;
    JoystickMonitor program;
    BoardLink &link = program.session().link();
    const BoardModel &model = program.session().model();
    ventana &window = program.window();
    QStringList status;
};
