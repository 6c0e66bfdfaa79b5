#pragma once

#include "programs/common/commandline.h"

#include <QStringList>

#include <optional>

// --port as every program that watches the board takes it: the devices
// given, COM 1 first, up to the link's last port, `lastPort`.
QCommandLineOption portOption(int lastPort);
// Why the program cannot watch `devices`; nothing when it can.
std::optional<QString> portsProblem(const QStringList &devices, int lastPort);

// The --port rule of a program whose settings hold the devices in `ports`.
template <typename Settings>
commandline::OptionRule<Settings> portRule(int lastPort)
{
    return {portOption(lastPort), [lastPort](const QStringList &devices, Settings &settings) {
                std::optional<QString> problem = portsProblem(devices, lastPort);
                if (!problem)
                    settings.ports = devices;
                return problem;
            }};
}
