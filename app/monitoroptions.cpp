#include "app/monitoroptions.h"

#include "app/commandline.h"

std::optional<int> parseMonitorOptions(const QStringList &arguments, MonitorOptions &options)
{
    const QCommandLineOption port(
        QStringLiteral("port"),
        QStringLiteral("Watch DEVICE as COM 1, the next --port as COM 2, and so on, in place of the system's "
                       "serial ports; a symlink such as /dev/serial/by-id/... counts as the device it points to."),
        QStringLiteral("DEVICE"));
    const commandline::Program program{
        .name = QStringLiteral("joystick-monitor"),
        .description = QStringLiteral("Shows a serial joystick board's sticks and buttons live."),
        .options = {port},
        .positionalArguments = {},
        .qtWindowOptions = true,
    };
    QCommandLineParser parser;
    if (const auto exitStatus = commandline::parse(program, parser, arguments))
        return exitStatus;
    const QStringList ports = parser.values(port);
    if (ports.contains(QString()))
        return commandline::usageError(parser, QStringLiteral("--port takes a device, not an empty name."));
    options.ports = ports;
    return std::nullopt;
}
