#include "seriallink/comportmap.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QSerialPortInfo>
#include <QTimer>

#include <algorithm>
#include <tuple>
#include <utility>

namespace {

// Families of devices in the order their ports are numbered.
const QStringList kFamilyOrder{QStringLiteral("ttyACM"), QStringLiteral("ttyUSB")};

#ifndef Q_OS_LINUX
constexpr int kDeviceListPollMs = 2000;
#endif

struct DeviceName {
    int family;        // position in kFamilyOrder, or past it for the others
    QString stem;      // the name without its trailing digits
    qlonglong number;  // the trailing digits, -1 when there are none
};

DeviceName splitDeviceName(const QString &name)
{
    qsizetype digitsAt = name.size();
    while (digitsAt > 0 && name.at(digitsAt - 1).isDigit())
        --digitsAt;
    const QString stem = name.left(digitsAt);
    const qsizetype family = kFamilyOrder.indexOf(stem);
    return {family < 0 ? int(kFamilyOrder.size()) : int(family), stem,
            digitsAt == name.size() ? -1 : name.mid(digitsAt).toLongLong()};
}

bool comesBefore(const QString &a, const QString &b)
{
    const DeviceName da = splitDeviceName(a);
    const DeviceName db = splitDeviceName(b);
    return std::tie(da.family, da.stem, da.number, a) < std::tie(db.family, db.stem, db.number, b);
}

// Reading the list costs tens of milliseconds of CPU: it is read once per
// discovery and when the devices may have changed, never per port.
QStringList presentDevices()
{
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        names.append(info.portName());
#ifdef Q_OS_WIN
    QStringList byNumber;
    for (const QString &name : names) {
        const int number = name.mid(3).toInt();
        if (number < 1)
            continue;
        while (byNumber.size() < number)
            byNumber.append(QString());
        byNumber[number - 1] = name;
    }
    return byNumber;
#else
    QStringList paths;
    for (const QString &name : orderedSerialDevices(names))
        paths.append(QStringLiteral("/dev/") + name);
    return paths;
#endif
}

// What a named device stands for: the device a symlink points to, nothing
// when it does not exist.
QString resolvedDevice(const QString &path)
{
    const QFileInfo info(path);
    return info.exists() ? info.canonicalFilePath() : QString();
}

// Where nodes come and go for the named devices: their own folders and,
// for symlinks, their targets' folders.
QStringList foldersOf(const QStringList &devices)
{
    QStringList folders;
    for (const QString &device : devices) {
        folders.append(QFileInfo(device).absolutePath());
        const QString target = resolvedDevice(device);
        if (!target.isEmpty())
            folders.append(QFileInfo(target).absolutePath());
    }
    folders.removeDuplicates();
    return folders;
}

} // namespace

QStringList orderedSerialDevices(QStringList names)
{
    std::sort(names.begin(), names.end(), comesBefore);
    return names;
}

std::shared_ptr<ComPortMap> ComPortMap::system()
{
    auto map = std::make_shared<ComPortMap>(presentDevices);
#ifdef Q_OS_LINUX
    // Device nodes are created and removed in /dev itself; inotify tells at
    // once and costs nothing while nothing happens.
    auto *watcher = new QFileSystemWatcher({QStringLiteral("/dev")}, map.get());
    connect(watcher, &QFileSystemWatcher::directoryChanged, map.get(), &ComPortMap::devicesMayHaveChanged);
#else
    auto *poll = new QTimer(map.get());
    connect(poll, &QTimer::timeout, map.get(), &ComPortMap::devicesMayHaveChanged);
    poll->start(kDeviceListPollMs);
#endif
    return map;
}

std::shared_ptr<ComPortMap> ComPortMap::named(const QStringList &devices)
{
    auto map = std::make_shared<ComPortMap>([devices] {
        QStringList resolved;
        for (const QString &device : devices)
            resolved.append(resolvedDevice(device));
        return resolved;
    });
    map->givenNames_ = devices;
    map->portCount_ = int(devices.size());
    auto *watcher = new QFileSystemWatcher(foldersOf(devices), map.get());
    connect(watcher, &QFileSystemWatcher::directoryChanged, map.get(), &ComPortMap::devicesMayHaveChanged);
    return map;
}

ComPortMap::ComPortMap(DeviceLister listDevices)
    : listDevices_(std::move(listDevices))
{
}

const QStringList &ComPortMap::readDevices()
{
    devices_ = listDevices_();
    return devices_;
}

QString ComPortMap::devicePath(int port) const
{
    return port < 1 ? QString() : devices_.value(port - 1);
}

QString ComPortMap::deviceName(int port) const
{
    const QString path = devicePath(port);
    return path.isEmpty() && port >= 1 ? givenNames_.value(port - 1) : path;
}

int ComPortMap::portOf(const QString &device) const
{
    return device.isEmpty() ? 0 : int(devices_.indexOf(device)) + 1;
}
