#include "programs/log/logoptions.h"

#include "programs/common/commandline.h"
#include "programs/common/portoption.h"
#include "seriallink/boardlink.h"

namespace {

std::optional<QString> takeCount(const QStringList &values, LogOptions &options)
{
    if (values.isEmpty())
        return std::nullopt;
    if (values.size() > 1)
        return QStringLiteral("--count takes one number; %1 given").arg(values.size());
    bool ok = false;
    options.count = values.first().toLongLong(&ok);
    if (!ok || options.count < 1)
        return QStringLiteral("--count takes a number of rows of at least 1, not '%1'").arg(values.first());
    return std::nullopt;
}

// Every option the logger takes, in the order its help lists them.
QList<commandline::OptionRule<LogOptions>> logRules()
{
    return {
        portRule<LogOptions>(BoardLink::kLastPort),
        {QCommandLineOption(QStringLiteral("count"), QStringLiteral("Exit after N rows."), QStringLiteral("N")),
         takeCount},
    };
}

} // namespace

std::optional<int> parseLogOptions(const QStringList &arguments, LogOptions &options)
{
    const commandline::Program program{
        .name = QStringLiteral("joystick-log"),
        .description = QStringLiteral("Finds a serial joystick board and prints a CSV row for every report it "
                                      "sends on standard output, the search's and the board's status on "
                                      "standard error; no display needed."),
        .options = {},
        .positionalArguments = {},
        .qtWindowOptions = false,
    };
    return commandline::parseInto(program, logRules(), arguments, options);
}
