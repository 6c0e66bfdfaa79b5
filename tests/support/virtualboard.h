#pragma once

#include "tests/support/fakeserial.h"
#include "tests/support/monitor.h"
#include "tests/support/parts.h"
#include "tests/support/virtualclock.h"
#include "window/details/detailswindow.h"

#include <QLabel>
#include <QPoint>
#include <QPushButton>

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
        found = clock->runUntil([this] { return monitor.link.state() == LinkState::Polling; }, std::chrono::seconds(5));
    }

    const std::shared_ptr<VirtualClock> clock = std::make_shared<VirtualClock>();
    FakeSerial *const serial = new FakeSerial;
    Monitor monitor{{"/dev/ttyACM0"}, testTiming(), std::unique_ptr<SerialControl>(serial), clock};
    bool found = false;
};

// The same with the monitor's details window, read as a user reads it.
struct BoardWithDetails : VirtualBoard {
    // `count` reports 50 ms apart: the left stick at `left` give or take a
    // count, the right one still, the left button pressed in every fourth.
    void reports(int count, QPoint left = {100, 200})
    {
        for (int i = 0; i < count; ++i) {
            serial->receive(QStringLiteral("A0 %1\nA1 %2\nA2 600\nA3 400\nA4 1\nA5 %3\n")
                                .arg(left.x() + i % 3)
                                .arg(left.y() - i % 2)
                                .arg(i % 4 == 0 ? 0 : 1)
                                .toLatin1());
            clock->runFor(std::chrono::milliseconds(50));
        }
    }
    QString text(const char *name) const { return partNamed<QLabel>(details, name).text(); }
    void click(const char *name) { partNamed<QPushButton>(details, name).click(); }
    // Whether the label `name` comes to start with `start` within a second.
    bool shows(const char *name, const QString &start)
    {
        return clock->runUntil([&] { return text(name).startsWith(start); }, std::chrono::seconds(1));
    }

    DetailsWindow &details = monitor.program.details();
    HistoryPlot &plot = partNamed<HistoryPlot>(details, "plot");
    RawLinesView &lines = partNamed<RawLinesView>(details, "lines");
};
