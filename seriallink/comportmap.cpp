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

// Where no notice tells that devices came or went, how often to look.
constexpr int kDeviceListPollMs = 2000;

struct DeviceName {
    int family;       // position in kFamilyOrder, or past it for the others
    QString stem;     // the name without its trailing digits
    qlonglong number; // the trailing digits, -1 when there are none
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

} // namespace

QStringList orderedSerialDevices(QStringList names)
{
    std::sort(names.begin(), names.end(), comesBefore);
    return names;
}

void ComPortMap::watchFolders(const QStringList &folders)
{
    auto *watcher = new QFileSystemWatcher(folders, this);
    connect(watcher, &QFileSystemWatcher::directoryChanged, this, &ComPortMap::devicesMayHaveChanged);
}

void ComPortMap::pollDevices()
{
    auto *poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, &ComPortMap::devicesMayHaveChanged);
    poll->start(kDeviceListPollMs);
}

std::shared_ptr<ComPortMap> ComPortMap::system()
{
    auto map = std::make_shared<ComPortMap>(presentDevices);
#ifdef Q_OS_LINUX
    // Device nodes are created and removed in /dev itself; inotify tells at
    // once and costs nothing while nothing happens.
    map->watchFolders({QStringLiteral("/dev")});
#else
    map->pollDevices();
#endif
    return map;
}

#ifdef Q_OS_WIN
// A port is named as Windows names it ("COM12", or "\\.\COM12"), and is
// there while the system lists it.
std::shared_ptr<ComPortMap> ComPortMap::named(const QStringList &devices)
{
    auto map = std::make_shared<ComPortMap>([devices] {
        const QStringList present = presentDevices();
        QStringList listed;
        for (const QString &device : devices) {
            const qsizetype at = present.indexOf(device.section(u'\\', -1).toUpper());
            listed.append(at < 0 ? QString() : present[at]);
        }
        return listed;
    });
    map->givenNames_ = devices;
    map->portCount_ = int(devices.size());
    map->pollDevices();
    return map;
}
#else
namespace {

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
    map->watchFolders(foldersOf(devices));
    return map;
}
#endif

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
