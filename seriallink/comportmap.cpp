#include "seriallink/comportmap.h"

#include <QSerialPortInfo>

#include <algorithm>
#include <tuple>
#include <utility>

namespace {

// Families of devices in the order their ports are numbered.
const QStringList kFamilyOrder{QStringLiteral("ttyACM"), QStringLiteral("ttyUSB")};

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

QString presentDevice(int port)
{
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(port);
#else
    QStringList names;
    const auto ports = QSerialPortInfo::availablePorts();
    for (const QSerialPortInfo &info : ports)
        names.append(info.portName());
    const QString name = orderedSerialDevices(names).value(port - 1);
    return name.isEmpty() ? QString() : QStringLiteral("/dev/") + name;
#endif
}

} // namespace

QStringList orderedSerialDevices(QStringList names)
{
    std::sort(names.begin(), names.end(), comesBefore);
    return names;
}

ComPortMap ComPortMap::system()
{
    return ComPortMap(std::function<QString(int)>(presentDevice));
}

ComPortMap::ComPortMap(QStringList devices)
    : resolve_([devices = std::move(devices)](int port) { return devices.value(port - 1); })
{
}

ComPortMap::ComPortMap(std::function<QString(int)> resolve)
    : resolve_(std::move(resolve))
{
}

QString ComPortMap::devicePath(int port) const
{
    return port < 1 ? QString() : resolve_(port);
}
