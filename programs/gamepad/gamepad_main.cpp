#include "gamepad/gamecontroller.h"
#include "gamepad/uinputdevice.h"
#include "programs/common/commandline.h"
#include "programs/common/portoption.h"
#include "programs/common/terminationsignals.h"
#include "programs/gamepad/gamepadoptions.h"
#include "programs/gamepad/padsettings.h"
#include "seriallink/boardlink.h"
#include "session/session.h"

#include <QCoreApplication>
#include <QLoggingCategory>

#include <cstdio>
#include <cstdlib>

// The board as a game controller, without a window: the same session as
// the monitor's, polled as fast as the line carries, driving a virtual
// joystick through uinput; the search's status, the device and the
// board's losses on standard error.

namespace {

struct Options {
    QStringList ports;
    GamepadOptions gamepad;
};

std::optional<int> parseOptions(const QStringList &arguments, Options &options)
{
    const commandline::Program program{
        .name = QStringLiteral("joystick-gamepad"),
        .description = QStringLiteral("Finds a serial joystick board and makes it a game controller that games, "
                                      "SDL, jstest and ROS see: a virtual joystick through the kernel's uinput, "
                                      "its sticks through the board's own calibration, centred whenever the "
                                      "board is lost. No display needed."),
        .options = {},
        .positionalArguments = {},
        .qtWindowOptions = false,
    };
    QList<commandline::OptionRule<Options>> rules{portRule<Options>(BoardLink::kLastPort)};
    rules << gamepadRules<Options>(true);
    return commandline::parseInto(program, rules, arguments, options);
}

void printLine(const QString &text)
{
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}

void printAboutThePad(const QString &text)
{
    printLine(QStringLiteral("game controller: ") + text);
}

} // namespace

int main(int argc, char *argv[])
{
    Options options;
    if (const auto exitStatus = parseOptions(commandline::arguments(argc, argv), options))
        return *exitStatus;
    auto settings = padSettings(options.gamepad);
    if (const QString *refusal = std::get_if<QString>(&settings))
        return commandline::refuse(*refusal);
    const PadSettings &pad = *std::get_if<PadSettings>(&settings);
    if (options.gamepad.sdlMapping) {
        std::printf("%s\n", sdlMapping(pad.identity, pad.layout).constData());
        return EXIT_SUCCESS;
    }
    // Told before the board is looked for, not once it is found.
    auto device = UinputDevice::open();
    if (const QString *problem = std::get_if<QString>(&device))
        return commandline::refuse(*problem);

    holdTerminationRequests();
    QCoreApplication app(argc, argv);
    // The reasons a port failed are printed as the window shows them; the
    // link's own log of them would print them twice.
    QLoggingCategory::setFilterRules(QStringLiteral("joystick.ports.warning=false"));
    for (const QString &line : calibrationLines(options.gamepad))
        printAboutThePad(line);

    BoardSession session(options.ports.isEmpty() ? ComPortMap::system() : ComPortMap::named(options.ports));
    forEachStatusText(session.link(), printLine);
    GameController controller(session, pad, std::move(*std::get_if<std::unique_ptr<UinputDevice>>(&device)),
                              options.gamepad.mostPerSecond);
    int exitStatus = EXIT_SUCCESS;
    QObject::connect(&controller, &GameController::statusChanged, &app, [&](const QString &status) {
        printAboutThePad(status);
        if (controller.failedToMake()) {
            exitStatus = commandline::kUsageError;
            QCoreApplication::quit();
        }
    });
    QObject::connect(&controller, &GameController::boardLost, &app,
                     [] { printAboutThePad(QStringLiteral("the board is lost: sticks centred, buttons released")); });
    QObject::connect(&controller, &GameController::boardBack, &app,
                     [] { printAboutThePad(QStringLiteral("the board is back")); });
    onTerminationRequest(&app, &QCoreApplication::quit);

    session.link().buscarPuerto();
    QCoreApplication::exec();
    session.link().close();
    return exitStatus;
}
