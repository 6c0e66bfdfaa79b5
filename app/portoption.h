#pragma once

#include "app/commandline.h"

#include <QStringList>

#include <optional>

// --port as every program that watches the board takes it: the devices
// given, COM 1 first, up to COM 7.
QCommandLineOption portOption();
// Why the program cannot watch `devices`; nothing when it can.
std::optional<QString> portsProblem(const QStringList &devices);

// The --port rule of a program whose settings hold the devices in `ports`.
template <typename Settings>
commandline::OptionRule<Settings> portRule()
{
    return {portOption(), [](const QStringList &devices, Settings &settings) {
                const std::optional<QString> problem = portsProblem(devices);
                if (!problem)
                    settings.ports = devices;
                return problem;
            }};
}
