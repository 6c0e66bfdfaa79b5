#include "app/monitoroptions.h"

#include "app/commandline.h"
#include "seriallink/boardlink.h"

namespace {

// The monitor looks for the board on COM 1 to COM 7: one --port each.
constexpr int kMostPorts = BoardLink::kLastPort - BoardLink::kFirstPort + 1;

std::optional<QString> takePorts(const QStringList &devices, MonitorOptions &options)
{
    if (devices.contains(QString()))
        return QStringLiteral("--port takes a device, not an empty name");
    if (devices.size() > kMostPorts)
        return QStringLiteral("at most %1 --port options, for COM %2 to COM %3; %4 given")
            .arg(kMostPorts)
            .arg(BoardLink::kFirstPort)
            .arg(BoardLink::kLastPort)
            .arg(devices.size());
    options.ports = devices;
    return std::nullopt;
}

// Every option the monitor takes, in the order its help lists them.
QList<commandline::OptionRule<MonitorOptions>> monitorRules()
{
    return {
        {QCommandLineOption(QStringLiteral("port"),
                            QStringLiteral("Watch DEVICE as COM 1, the next --port as COM 2, and so on up to COM %1 "
                                           "(at most %1 of them), in place of the system's serial ports; a symlink "
                                           "such as /dev/serial/by-id/... counts as the device it points to.")
                                .arg(BoardLink::kLastPort),
                            QStringLiteral("DEVICE")),
         takePorts},
    };
}

} // namespace

std::optional<int> parseMonitorOptions(const QStringList &arguments, MonitorOptions &options)
{
    const commandline::Program program{
        .name = QStringLiteral("joystick-monitor"),
        .description = QStringLiteral("Shows a serial joystick board's sticks and buttons live."),
        .options = {},
        .positionalArguments = {},
        .qtWindowOptions = true,
    };
    return commandline::parseInto(program, monitorRules(), arguments, options);
}
