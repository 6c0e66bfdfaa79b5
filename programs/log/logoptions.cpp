#include "programs/log/logoptions.h"

#include "programs/common/commandline.h"
#include "programs/common/portoption.h"
#include "seriallink/boardlink.h"
#include "session/boardwait.h"

#include <cmath>

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

// A number of seconds, to the millisecond, from 1 ms to 24 days: a timer
// takes no more than some 24.8 days.
std::optional<QString> takeWait(const QStringList &values, LogOptions &options)
{
    if (values.isEmpty())
        return std::nullopt;
    if (values.size() > 1)
        return QStringLiteral("--wait takes one number of seconds; %1 given").arg(values.size());
    constexpr auto kLongestWait = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::days(24));
    bool ok = false;
    const double ms = std::round(values.first().toDouble(&ok) * 1000);
    if (!ok || !(ms >= 1 && ms <= double(kLongestWait.count())))
        return QStringLiteral("--wait takes a number of seconds from 0.001 to 24 days, not '%1'").arg(values.first());
    options.wait = std::chrono::milliseconds(qint64(ms));
    return std::nullopt;
}

// Every option the logger takes, in the order its help lists them.
QList<commandline::OptionRule<LogOptions>> logRules()
{
    return {
        portRule<LogOptions>(BoardLink::kLastPort),
        {QCommandLineOption(QStringLiteral("count"), QStringLiteral("Exit after N rows."), QStringLiteral("N")),
         takeCount},
        {QCommandLineOption(QStringLiteral("wait"),
                            QStringLiteral("Give up, with exit status 1, after SECONDS without a board: none "
                                           "found, or the one found lost."),
                            QStringLiteral("SECONDS")),
         takeWait},
    };
}

} // namespace

std::optional<int> parseLogOptions(const QStringList &arguments, LogOptions &options)
{
    const commandline::Program program{
        .name = QStringLiteral("joystick-log"),
        .description = QStringLiteral("Finds a serial joystick board and prints a CSV row for every report it "
                                      "sends on standard output, the search's and the board's status on "
                                      "standard error; no display needed. Without --wait it waits for the "
                                      "board for as long as it runs, saying so every %1 s.")
                           .arg(BoardWait::kReminder.count()),
        .options = {},
        .positionalArguments = {},
        .qtWindowOptions = false,
    };
    return commandline::parseInto(program, logRules(), arguments, options);
}
