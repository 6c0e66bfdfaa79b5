#include "app/commandline.h"
#include "app/desktopidentity.h"
#include "app/program.h"
#include "tools/boardsim.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QTimer>

#include <array>
#include <cstdio>
#include <memory>
#include <optional>

namespace {

using FrozenValues = std::array<int, 6>;

// "a0,a1,a2,a3,right,left": six whole numbers.
std::optional<FrozenValues> parseValues(const QString &text)
{
    const QStringList fields = text.split(u',');
    if (fields.size() != 6)
        return std::nullopt;
    FrozenValues values{};
    for (qsizetype i = 0; i < fields.size(); ++i) {
        bool ok = false;
        values[size_t(i)] = fields[i].toInt(&ok);
        if (!ok)
            return std::nullopt;
    }
    return values;
}

// The number of seconds the option gives; nothing when it is not given,
// and a negative number when its value is no number of seconds.
std::optional<double> secondsAfterStart(const QCommandLineParser &parser, const QCommandLineOption &option)
{
    if (!parser.isSet(option))
        return std::nullopt;
    bool ok = false;
    const double seconds = parser.value(option).toDouble(&ok);
    return ok && seconds >= 0 ? seconds : -1;
}

// Runs `action` `seconds` after start, if given.
template <typename Action>
void scheduleAt(std::optional<double> seconds, Action action)
{
    if (seconds)
        QTimer::singleShot(int(*seconds * 1000), QCoreApplication::instance(), action);
}

// The simulated board on COM 3, which can be unplugged and plugged in
// again: a new board on a new pseudo-terminal, as a real one after a reset.
class PluggableBoard {
public:
    explicit PluggableBoard(std::optional<FrozenValues> values)
        : values_(values)
        , ports_(std::make_shared<ComPortMap>([this] { return devices(); }))
    {
        plugIn();
    }

    bool isPresent() const { return board_ && !board_->isHungUp(); }
    std::shared_ptr<ComPortMap> ports() const { return ports_; }

    void plugIn()
    {
        board_ = std::make_unique<BoardSimulator>();
        if (values_) {
            const FrozenValues &v = *values_;
            board_->setValues(v[0], v[1], v[2], v[3], v[4] != 0, v[5] != 0);
        }
        emit ports_->devicesMayHaveChanged();
    }

    void unplug()
    {
        board_->hangUp();
        emit ports_->devicesMayHaveChanged();
    }

private:
    // COM 1 and COM 2 absent, the board on COM 3 while it is plugged in.
    QStringList devices() const
    {
        return {QString(), QString(), isPresent() ? board_->slavePath() : QString()};
    }

    std::optional<FrozenValues> values_;
    std::unique_ptr<BoardSimulator> board_;
    std::shared_ptr<ComPortMap> ports_;
};

} // namespace

// The ordinary monitor window with COM 1 and COM 2 absent and a simulated
// board on COM 3, for trying the program without hardware.
int main(int argc, char *argv[])
{
    const QCommandLineOption valuesOption(
        "values", "Freeze the board's report at A0,A1,A2,A3,right,left (buttons 1 = pressed).", "a0,a1,a2,a3,right,left");
    const QCommandLineOption unplugOption("unplug-at", "Unplug the board <seconds> after start.", "seconds");
    const QCommandLineOption replugOption("replug-at", "Plug a board in again <seconds> after start.", "seconds");
    const commandline::Program program{
        .name = "joystick-monitor-demo",
        .description = "The joystick monitor with a simulated board on COM 3.",
        .options = {valuesOption, unplugOption, replugOption},
        .positionalArguments = {},
        .qtWindowOptions = true,
    };
    // Read before the application exists, which needs a display.
    QCommandLineParser parser;
    if (const auto exitStatus = commandline::parse(program, parser, commandline::arguments(argc, argv)))
        return *exitStatus;
    const std::optional<FrozenValues> values =
        parser.isSet(valuesOption) ? parseValues(parser.value(valuesOption)) : std::nullopt;
    if (parser.isSet(valuesOption) && !values)
        return commandline::refuse("--values takes six whole numbers separated by commas");
    const std::optional<double> unplugAt = secondsAfterStart(parser, unplugOption);
    const std::optional<double> replugAt = secondsAfterStart(parser, replugOption);
    if (unplugAt.value_or(0) < 0 || replugAt.value_or(0) < 0)
        return commandline::refuse("--unplug-at and --replug-at take a number of seconds");

    JoystickMonitor::prepareDisplay();
    QApplication app(argc, argv);
    adoptDesktopIdentity();
    PluggableBoard board(values);
    if (!board.isPresent()) {
        std::fprintf(stderr, "cannot create a pseudo-terminal for the simulated board\n");
        return 1;
    }
    scheduleAt(unplugAt, [&board] { board.unplug(); });
    scheduleAt(replugAt, [&board] { board.plugIn(); });

    JoystickMonitor monitor(board.ports());
    monitor.start();
    return app.exec();
}
