#include "gamepad/uinputdevice.h"

#include <QDir>
#include <QStringList>

#include <fcntl.h>
#include <linux/uinput.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace {

QString inWords(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString openProblem(const QString &path, int error)
{
    switch (error) {
    case ENOENT:
        return QStringLiteral("no %1: load the uinput module (sudo modprobe uinput)").arg(path);
    case ENODEV:
    case ENXIO:
        return QStringLiteral("no uinput driver behind %1: load the uinput module (sudo modprobe uinput)").arg(path);
    case EACCES:
    case EPERM:
        return QStringLiteral("permission denied on %1: install the package's udev rule (see README \"Game "
                              "controller\"), or for this session: sudo setfacl -m u:$USER:rw %1")
            .arg(path);
    default:
        return QStringLiteral("cannot open %1: %2").arg(path, inWords(error));
    }
}

// Why the request named `request` failed, from errno.
QString failed(const char *request)
{
    return QStringLiteral("%1 failed: %2").arg(QLatin1StringView(request), inWords(errno));
}

} // namespace

std::variant<std::unique_ptr<UinputDevice>, QString> UinputDevice::open(const char *path)
{
    const int descriptor = ::open(path, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (descriptor < 0)
        return openProblem(QString::fromLocal8Bit(path), errno);
    return std::unique_ptr<UinputDevice>(new UinputDevice(descriptor));
}

UinputDevice::~UinputDevice()
{
    if (created_)
        ioctl(descriptor_, UI_DEV_DESTROY);
    close(descriptor_);
}

std::optional<QString> UinputDevice::create(const PadIdentity &identity, ButtonLayout layout)
{
    if (auto refusal = padNameRefusal(identity.name))
        return refusal;
    const ButtonCodes buttons = buttonCodes(layout);
    if (ioctl(descriptor_, UI_SET_EVBIT, EV_KEY) < 0)
        return failed("UI_SET_EVBIT");
    for (const uint16_t code : {buttons.left, buttons.right})
        if (ioctl(descriptor_, UI_SET_KEYBIT, int(code)) < 0)
            return failed("UI_SET_KEYBIT");
    if (ioctl(descriptor_, UI_SET_EVBIT, EV_ABS) < 0)
        return failed("UI_SET_EVBIT");
    for (const uint16_t code : kAxisCodes) {
        uinput_abs_setup axis{};
        axis.code = code;
        axis.absinfo.minimum = -AxisMap::kFullScale;
        axis.absinfo.maximum = AxisMap::kFullScale;
        if (ioctl(descriptor_, UI_ABS_SETUP, &axis) < 0)
            return failed("UI_ABS_SETUP");
    }
    uinput_setup setup{};
    setup.id = {identity.bus, identity.vendor, identity.product, identity.version};
    std::copy(identity.name.begin(), identity.name.end(), setup.name);
    if (ioctl(descriptor_, UI_DEV_SETUP, &setup) < 0)
        return failed("UI_DEV_SETUP");
    if (ioctl(descriptor_, UI_DEV_CREATE) < 0)
        return failed("UI_DEV_CREATE");
    created_ = true;
    location_ = findLocation();
    return std::nullopt;
}

// Its event and joystick nodes, which the kernel lists under the device's
// folder in sysfs as it makes them.
QString UinputDevice::findLocation() const
{
    char sysname[64]{};
    if (ioctl(descriptor_, UI_GET_SYSNAME(sizeof sysname - 1), sysname) < 0)
        return QStringLiteral("an input device (%1)").arg(failed("UI_GET_SYSNAME"));
    const QDir folder(QStringLiteral("/sys/devices/virtual/input/") + QString::fromLocal8Bit(sysname));
    QStringList nodes;
    for (const QString &node :
         folder.entryList({QStringLiteral("event*"), QStringLiteral("js*")}, QDir::Dirs, QDir::Name))
        nodes << QStringLiteral("/dev/input/") + node;
    return nodes.isEmpty() ? QStringLiteral("the input device ") + QString::fromLocal8Bit(sysname)
                           : nodes.join(QStringLiteral(" and "));
}

std::optional<QString> UinputDevice::send(const PadFrame &frame)
{
    if (!created_)
        return QStringLiteral("the device is not made");
    std::vector<input_event> events(frame.size() + 1);
    for (size_t i = 0; i < frame.size(); ++i) {
        events[i].type = frame[i].type;
        events[i].code = frame[i].code;
        events[i].value = frame[i].value;
    }
    events.back().type = EV_SYN;
    events.back().code = SYN_REPORT;
    const size_t bytes = events.size() * sizeof(input_event);
    const ssize_t written = write(descriptor_, events.data(), bytes);
    if (written < 0)
        return failed("writing to the device");
    if (size_t(written) != bytes)
        return QStringLiteral("the device took %1 of %2 bytes").arg(written).arg(bytes);
    return std::nullopt;
}
