#pragma once

#include "tests/support/fakeserial.h"
#include "tests/support/monitor.h"
#include "tests/support/virtualclock.h"

#include <memory>

// The monitor in virtual time on an in-memory port, its board announcing
// itself a moment after its port opens, and found on COM 1.
struct VirtualBoard {
    VirtualBoard()
    {
        QObject::connect(serial, &FakeSerial::portOpened, serial, [this] {
            clock->after(std::chrono::milliseconds(20), [this] { serial->receive("JOYSTICK\r\n"); });
        });
        monitor.program.start();
        found = clock->runUntil([this] { return monitor.link.state() == LinkState::Polling; },
                                std::chrono::seconds(5));
    }

    const std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    FakeSerial *const serial = new FakeSerial;
    Monitor monitor{{"/dev/ttyACM0"}, testTiming(), std::unique_ptr<SerialControl>(serial), clock};
    bool found = false;
};
