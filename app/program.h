#pragma once

#include "seriallink/boardlink.h"
#include "seriallink/comportmap.h"
#include "seriallink/serialcontrol.h"
#include "window/ventana.h"

#include <memory>

// The monitor as one program: the board's link over a serial control and
// the devices of `ports`, and the window that shows it. The program itself,
// its tests, tools and benchmarks all assemble it here.
class JoystickMonitor {
public:
    // Without a `control`, the link uses the real serial ports.
    explicit JoystickMonitor(std::shared_ptr<ComPortMap> ports, std::unique_ptr<SerialControl> control = nullptr,
                             LinkTiming timing = {});

    // Chooses the display the window goes to and how its pixels reach it;
    // called before the application is made, which connects to the display.
    static void prepareDisplay();

    // Shows the window and starts looking for the board.
    void start();

    const std::shared_ptr<ComPortMap> ports;
    BoardLink link;
    ventana window;
};
