#pragma once

#include "seriallink/comportmap.h"
#include "seriallink/serialcontrol.h"
#include "window/ventana.h"

#include <QStringList>

#include <chrono>
#include <memory>

// The monitor window on the real serial layer. Its COM ports are the
// devices given (entry n-1 is COMn, an empty entry an absent port); the
// list can change while it runs, as when boards are plugged in or pulled.
// Every text Info and Bconsola show is recorded in `status`.
class Monitor {
public:
    explicit Monitor(const QStringList &devices, std::chrono::milliseconds portWait = std::chrono::milliseconds(400));

    // Changes the devices present and lets the window know, as the system
    // does when device nodes come and go.
    void setDevices(const QStringList &devices);

    QStringList devices;
    const std::shared_ptr<ComPortMap> ports;
    ventana window;
    QStringList status;
};
