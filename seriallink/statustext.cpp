#include "seriallink/statustext.h"

#include <QStringList>

#include <algorithm>
#include <array>
#include <cstdlib>

namespace statustext {
namespace {

// The order outcomes are listed in, most useful first; problems not named
// here come between Busy and NoAnswer.
constexpr std::array kProblemOrder{PortProblem::PermissionDenied, PortProblem::Busy,    PortProblem::Other,
                                   PortProblem::DeviceGone,       PortProblem::NotOpen, PortProblem::NoAnswer,
                                   PortProblem::NoSuchDevice};

qsizetype rank(PortProblem problem)
{
    return std::find(kProblemOrder.begin(), kProblemOrder.end(), problem) - kProblemOrder.begin();
}

// A port without a device can join the run of such ports before it.
bool isPortWithoutDevice(const PortOutcome &outcome)
{
    return outcome.problem == PortProblem::NoSuchDevice && outcome.device.isEmpty();
}

QString portRun(int16_t first, int16_t last)
{
    return first == last ? QStringLiteral("COM%1: no such port").arg(first)
                         : QStringLiteral("COM%1-COM%2: no such port").arg(first).arg(last);
}

} // namespace

QString portMessage(const char *prefix, int16_t port)
{
    const QString sign = port < 0 ? QStringLiteral("-") : QStringLiteral(" ");
    return QString::fromLatin1(prefix) + sign + QString::number(std::abs(int(port)));
}

QString portName(int port, const QString &device)
{
    const QString com = QStringLiteral("COM%1").arg(port);
    const bool sameName = device.isEmpty() || device.compare(com, Qt::CaseInsensitive) == 0;
    return sameName ? com : QStringLiteral("%1 (%2)").arg(com, device);
}

PortOutcome noBoardAnswered(int16_t port, const QString &device)
{
    return {port, device, PortProblem::NoAnswer,
            portName(port, device) + QStringLiteral(": opened, but no board answered")};
}

QString silentBoard(int16_t port, const QString &device, int seconds)
{
    return portName(port, device) + QStringLiteral(": the board has not answered for %1 s").arg(seconds);
}

QString summary(QList<PortOutcome> outcomes)
{
    std::stable_sort(outcomes.begin(), outcomes.end(), [](const PortOutcome &a, const PortOutcome &b) {
        return std::pair(rank(a.problem), a.port) < std::pair(rank(b.problem), b.port);
    });
    QStringList parts;
    for (qsizetype i = 0; i < outcomes.size(); ++i) {
        if (!isPortWithoutDevice(outcomes[i])) {
            parts.append(outcomes[i].reason);
            continue;
        }
        const int16_t first = outcomes[i].port;
        while (i + 1 < outcomes.size() && isPortWithoutDevice(outcomes[i + 1])
               && outcomes[i + 1].port == outcomes[i].port + 1)
            ++i;
        parts.append(portRun(first, outcomes[i].port));
    }
    return parts.join(QStringLiteral(" / "));
}

} // namespace statustext
