#pragma once

#include <QString>
#include <QStringList>

#include <functional>

// Maps the port numbers COM1, COM2, ... to device paths.
//
// On Linux COMn is the n-th serial device present, in a stable order:
// ttyACM*, then ttyUSB*, then every other kind, each by its number.
// On Windows COMn is the device "COMn" itself.
class ComPortMap {
public:
    // The devices present when a port is looked up.
    static ComPortMap system();

    // A fixed map: entry n-1 is COMn; an empty entry is an absent port.
    explicit ComPortMap(QStringList devices);

    // The device for COMn, or an empty string when there is none.
    QString devicePath(int port) const;

private:
    explicit ComPortMap(std::function<QString(int)> resolve);

    std::function<QString(int)> resolve_;
};

// Orders serial device names (such as "ttyUSB1", "ttyS0") the way the
// COM numbers are given out on Linux.
QStringList orderedSerialDevices(QStringList names);
