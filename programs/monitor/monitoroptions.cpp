#include "programs/monitor/monitoroptions.h"

#include "programs/common/commandline.h"
#include "programs/common/portoption.h"
#include "programs/monitor/monitorgamepad.h"
#include "seriallink/boardlink.h"

namespace {

std::optional<QString> takeRecording(const QStringList &files, MonitorOptions &options)
{
    if (files.size() > 1)
        return QStringLiteral("--record takes one file; %1 given").arg(files.size());
    if (files.contains(QString()))
        return QStringLiteral("--record takes a file, not an empty name");
    options.record = files.value(0);
    return std::nullopt;
}

// Every option the monitor takes, in the order its help lists them.
QList<commandline::OptionRule<MonitorOptions>> monitorRules()
{
    return {
        portRule<MonitorOptions>(BoardLink::kLastPort),
        {QCommandLineOption(QStringLiteral("record"),
                            QStringLiteral("Append a CSV row for every report to FILE, a new or empty file or one "
                                           "recorded to before; any other file is refused."),
                            QStringLiteral("FILE")),
         takeRecording},
        {QCommandLineOption(QStringLiteral("details"),
                            QStringLiteral("Open the board's details window at start as well: the sticks over "
                                           "time, their calibration, the link's health, the board's lines and the "
                                           "recording.")),
         commandline::whetherGiven(&MonitorOptions::details)},
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
    return commandline::parseInto(program, monitorRules() + MonitorGamepad::optionRules(), arguments, options);
}
