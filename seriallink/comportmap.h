#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <limits>
#include <memory>

// Maps the port numbers COM1, COM2, ... to device paths, as the list of
// serial devices stood when it was last read, and tells when that list may
// have changed.
//
// On Linux COMn is the n-th serial device present, in a stable order:
// ttyACM*, then ttyUSB*, then every other kind, each by its number.
// On Windows COMn is the device "COMn" itself.
class ComPortMap final : public QObject {
    Q_OBJECT

public:
    // The devices present: entry n-1 is COMn's path, an empty entry an
    // absent port.
    using DeviceLister = std::function<QStringList()>;

    // The serial devices of this system. Changes are noticed through /dev
    // on Linux, and by looking every two seconds elsewhere.
    static std::shared_ptr<ComPortMap> system();

    // The devices named, as COM1, COM2, ... in the order given. A symlink
    // (such as /dev/serial/by-id/...) counts as the device it points to, a
    // path that does not exist as an absent port. Changes are noticed
    // through the folders the devices and their targets are in. On Windows
    // the devices are ports such as "COM12", absent while the system does
    // not list them.
    static std::shared_ptr<ComPortMap> named(const QStringList &devices);

    // Devices as `listDevices` reports them; none until the first read.
    explicit ComPortMap(DeviceLister listDevices);

    // Reads the list of devices, which can cost tens of milliseconds;
    // COM numbers follow it until the next read.
    const QStringList &readDevices();
    // The list as last read.
    const QStringList &devices() const { return devices_; }
    // The device for COMn, or an empty string when there is none.
    QString devicePath(int port) const;
    // The device COMn stands for, as the user knows it: its path, or the
    // path given for it when nothing is there (a name given to named() that
    // does not exist); an empty string for an absent port without a name.
    QString deviceName(int port) const;
    // COMn of `device` in the list as last read, or 0 when it is not there.
    int portOf(const QString &device) const;
    // How many COM numbers the map can give out: one per device named, no
    // fixed number for the system's devices.
    int portCount() const { return portCount_; }

signals:
    // A device may have come or gone: something changed where they live.
    void devicesMayHaveChanged();

private:
    // Tells of changes in `folders`, where devices come and go.
    void watchFolders(const QStringList &folders);
    // Tells of a possible change every few seconds.
    void pollDevices();

    DeviceLister listDevices_;
    QStringList devices_;
    // The names given to named(), COM1 first.
    QStringList givenNames_;
    int portCount_ = std::numeric_limits<int>::max();
};

// Orders serial device names (such as "ttyUSB1", "ttyS0") the way the
// COM numbers are given out on Linux.
QStringList orderedSerialDevices(QStringList names);
