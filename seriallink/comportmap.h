#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

// Maps the port numbers COM1, COM2, ... to device paths, as the list of
// serial devices stood when it was last read, and tells when that list has
// changed.
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

    // How long a change is left to settle before the list is read: udev
    // sets a new node's group and mode just after creating it.
    static constexpr int kSettleMs = 1000;

    // The serial devices of this system. Changes are noticed through /dev
    // on Linux, and by looking every two seconds elsewhere.
    static std::shared_ptr<ComPortMap> system();

    // Devices as `listDevices` reports them; none until the first read.
    explicit ComPortMap(DeviceLister listDevices);
    // A fixed list, already read.
    explicit ComPortMap(const QStringList &devices);

    // Reads the list of devices; COM numbers follow it until the next read.
    void readDevices();
    // The device for COMn, or an empty string when there is none.
    QString devicePath(int port) const;

    // While watching, a possible change is followed, once it has settled,
    // by a read of the list, and devicesChanged() when that differs from
    // the list last read. Possible changes noticed while not watching are
    // looked at when watching starts again.
    void setWatching(bool watching);
    // Forgets which devices were there, so that the next look counts any
    // device present as a change, and makes that look due. COM numbers
    // stay as they are until the next read.
    void forgetDevices();
    // Where notices that the devices may have changed arrive.
    void devicesMayHaveChanged();

signals:
    void devicesChanged();

private:
    void lookForChanges();

    DeviceLister listDevices_;
    QStringList devices_;
    // What a change is measured against: the list last read, or nothing
    // once forgotten.
    QStringList known_;
    QTimer settle_;
    bool watching_ = false;
    bool lookDue_ = false;
};

// Orders serial device names (such as "ttyUSB1", "ttyS0") the way the
// COM numbers are given out on Linux.
QStringList orderedSerialDevices(QStringList names);
