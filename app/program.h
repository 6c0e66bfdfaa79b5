#pragma once

#include "app/session.h"
#include "window/ventana.h"

// The monitor as one program: the board's session and the window that
// presents it. The program itself, its tests, tools and benchmarks all
// assemble it here.
class JoystickMonitor : public BoardSession {
public:
    explicit JoystickMonitor(std::shared_ptr<ComPortMap> ports, std::unique_ptr<SerialControl> control = nullptr,
                             LinkTiming timing = {});

    // Chooses how the window's pixels reach the display; called before the
    // application is made, which connects to the display.
    static void prepareDisplay();

    // Shows the window and starts looking for the board.
    void start();

    ventana window;
};
