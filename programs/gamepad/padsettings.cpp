#include "programs/gamepad/padsettings.h"

std::variant<PadSettings, QString> padSettings(const GamepadOptions &options)
{
    PadSettings settings;
    if (!options.name.isEmpty()) {
        if (const auto refusal = padNameRefusal(options.name))
            return QStringLiteral("--name: ") + *refusal;
        settings.identity.name = options.name;
    }
    settings.layout = options.stickButtons ? ButtonLayout::Sticks : ButtonLayout::Face;
    settings.calibration = options.calibration;
    settings.inverted = options.inverted;
    return settings;
}

QStringList calibrationLines(const GamepadOptions &options)
{
    if (!options.calibration)
        return {QStringLiteral("not calibrated: each axis maps 0 to 1023 linearly (--calibration FILE takes the "
                               "board's own)")};
    return QStringList{QStringLiteral("calibrated from %1").arg(options.calibrationFile)} + options.calibration->notes;
}
