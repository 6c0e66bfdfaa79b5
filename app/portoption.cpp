#include "app/portoption.h"

#include "seriallink/boardlink.h"

namespace {

// The board is looked for on COM 1 to COM 7: one --port each.
constexpr int kMostPorts = BoardLink::kLastPort - BoardLink::kFirstPort + 1;

// What a device is on this system.
#ifdef Q_OS_WIN
constexpr auto kDeviceHelp = "DEVICE is a port such as COM12: ports past COM%1 are looked at only when named here.";
#else
constexpr auto kDeviceHelp = "a symlink such as /dev/serial/by-id/... counts as the device it points to.";
#endif

} // namespace

QCommandLineOption portOption()
{
    return QCommandLineOption(QStringLiteral("port"),
                              (QStringLiteral("Watch DEVICE as COM 1, the next --port as COM 2, and so on up to COM %1 "
                                              "(at most %1 of them), in place of the system's serial ports; ")
                               + QLatin1StringView(kDeviceHelp))
                                  .arg(BoardLink::kLastPort),
                              QStringLiteral("DEVICE"));
}

std::optional<QString> portsProblem(const QStringList &devices)
{
    if (devices.contains(QString()))
        return QStringLiteral("--port takes a device, not an empty name");
    if (devices.size() > kMostPorts)
        return QStringLiteral("at most %1 --port options, for COM %2 to COM %3; %4 given")
            .arg(kMostPorts)
            .arg(BoardLink::kFirstPort)
            .arg(BoardLink::kLastPort)
            .arg(devices.size());
    return std::nullopt;
}
