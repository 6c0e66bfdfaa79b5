#include "programs/monitor/monitorgamepad.h"

#include "gamepad/gamecontroller.h"
#include "gamepad/uinputdevice.h"
#include "programs/gamepad/padsettings.h"
#include "programs/monitor/joystickmonitor.h"
#include "stickdata/statsreport.h"

#include <QLoggingCategory>

namespace {

Q_LOGGING_CATEGORY(lcGamepad, "joystick.gamepad")

} // namespace

// Turns the game controller on and off for the details window's box. On,
// without a calibration file given, it takes the details' own figures as
// they stand, the calibration "Save calibration…" would write.
class MonitorGamepad::Switch {
public:
    Switch(JoystickMonitor &monitor, GamepadOptions options)
        : monitor_(monitor)
        , options_(std::move(options))
    {
        QObject::connect(&monitor.details(), &DetailsWindow::gameControllerSwitched, &monitor.details(),
                         [this](bool on) { turn(on); });
        show(QStringLiteral("off"));
    }

    void turn(bool on)
    {
        controller_.reset();
        if (on)
            turnOn();
        else
            show(QStringLiteral("off"));
    }

private:
    void turnOn()
    {
        GamepadOptions options = withFigures(options_);
        auto settings = padSettings(options);
        if (const QString *refusal = std::get_if<QString>(&settings))
            return fail(*refusal);
        auto device = UinputDevice::open();
        if (const QString *problem = std::get_if<QString>(&device))
            return fail(*problem);
        controller_ = std::make_unique<GameController>(monitor_.session(), *std::get_if<PadSettings>(&settings),
                                                       std::move(*std::get_if<std::unique_ptr<UinputDevice>>(&device)),
                                                       options.mostPerSecond);
        calibration_ = calibrationLines(options).join(u'\n');
        QObject::connect(controller_.get(), &GameController::statusChanged, controller_.get(),
                         [this](const QString &status) { show(status); });
        show(controller_->status());
    }

    // Without a file, the figures of the details window, once they give a
    // range for every axis.
    GamepadOptions withFigures(GamepadOptions options) const
    {
        if (options.calibration)
            return options;
        auto measured = calibrationFromJson(statsJson(monitor_.detailsFeed().stats()));
        if (auto *calibration = std::get_if<BoardCalibration>(&measured)) {
            options.calibration = std::move(*calibration);
            options.calibrationFile = QStringLiteral("the details window's figures");
        }
        return options;
    }

    void fail(const QString &why)
    {
        qCWarning(lcGamepad).noquote() << why;
        show(QStringLiteral("could not be made: ") + why);
    }

    void show(const QString &state)
    {
        monitor_.details().showGameController(controller_ != nullptr, state, controller_ ? calibration_ : QString());
    }

    JoystickMonitor &monitor_;
    const GamepadOptions options_;
    std::unique_ptr<GameController> controller_;
    QString calibration_;
};

QList<commandline::OptionRule<MonitorOptions>> MonitorGamepad::optionRules()
{
    QList<commandline::OptionRule<MonitorOptions>> rules{
        {QCommandLineOption(QStringLiteral("gamepad"),
                            QStringLiteral("Make the board a game controller from the start, as the details "
                                           "window's box does: a virtual joystick through uinput, the monitor "
                                           "polling after each answer while it is on.")),
         commandline::whetherGiven(&MonitorOptions::gamepadOn)},
    };
    return rules + gamepadRules<MonitorOptions>(false);
}

MonitorGamepad::MonitorGamepad(JoystickMonitor &monitor, const MonitorOptions &options)
    : switch_(std::make_unique<Switch>(monitor, options.gamepad))
{
    if (options.gamepadOn)
        switch_->turn(true);
}

MonitorGamepad::~MonitorGamepad() = default;
