#include "programs/common/portoption.h"

namespace {

// What a device is on this system.
#ifdef Q_OS_WIN
constexpr auto kDeviceHelp = "DEVICE is a port such as COM12: ports past COM%1 are looked at only when named here.";
#else
constexpr auto kDeviceHelp = "a symlink such as /dev/serial/by-id/... counts as the device it points to.";
#endif

} // namespace

QCommandLineOption portOption(int lastPort)
{
    return QCommandLineOption(QStringLiteral("port"),
                              (QStringLiteral("Watch DEVICE as COM 1, the next --port as COM 2, and so on up to COM %1 "
                                              "(at most %1 of them), in place of the system's serial ports; ")
                               + QLatin1StringView(kDeviceHelp))
                                  .arg(lastPort),
                              QStringLiteral("DEVICE"));
}

// The board is looked for on COM 1 to COM `lastPort`: one --port each.
std::optional<QString> portsProblem(const QStringList &devices, int lastPort)
{
    if (devices.contains(QString()))
        return QStringLiteral("--port takes a device, not an empty name");
    if (devices.size() > lastPort)
        return QStringLiteral("at most %1 --port options, for COM 1 to COM %1; %2 given")
            .arg(lastPort)
            .arg(devices.size());
    return std::nullopt;
}
