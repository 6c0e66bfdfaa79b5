#include "programs/common/commandline.h"
#include "programs/common/terminationsignals.h"
#include "programs/desktop/desktopidentity.h"
#include "programs/desktop/display.h"
#include "programs/monitor/joystickmonitor.h"
#include "tools/boardsim.h"

#include <QApplication>
#include <QTimer>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>
#include <memory>
#include <optional>

namespace {

// A report as the board sends it: A0 to A3, then the right (A4) and the
// left (A5) button, 0 while pressed.
using FrozenValues = std::array<int, 6>;

constexpr int kHighestStickValue = 1023;
constexpr size_t kFirstButton = 4;
constexpr int kPressed = 0;
constexpr int kReleased = 1;

struct DemoSettings {
    std::optional<FrozenValues> values;
    std::optional<double> unplugAt;
    std::optional<double> replugAt;
    std::optional<double> rest;
    bool details = false;
};

// "a0,a1,a2,a3,a4,a5": six whole numbers, the sticks' from 0 to 1023, the
// buttons' 0 or 1.
std::optional<QString> takeValues(const QStringList &given, DemoSettings &settings)
{
    if (given.isEmpty())
        return std::nullopt;
    const QStringList fields = given.constLast().split(u',');
    if (fields.size() != int(FrozenValues().size()))
        return QStringLiteral("--values takes six whole numbers separated by commas");
    FrozenValues values{};
    for (size_t channel = 0; channel < values.size(); ++channel) {
        bool ok = false;
        const int value = fields[qsizetype(channel)].toInt(&ok);
        if (!ok)
            return QStringLiteral("--values takes six whole numbers separated by commas");
        if (channel < kFirstButton && (value < 0 || value > kHighestStickValue))
            return QStringLiteral("--values: A%1 is %2, and a stick goes from 0 to %3")
                .arg(channel)
                .arg(value)
                .arg(kHighestStickValue);
        if (channel >= kFirstButton && value != kPressed && value != kReleased)
            return QStringLiteral("--values: A%1 is %2, and a button is %3 (pressed) or %4 (released)")
                .arg(channel)
                .arg(value)
                .arg(kPressed)
                .arg(kReleased);
        values[channel] = value;
    }
    settings.values = values;
    return std::nullopt;
}

// The number of seconds after start the option gives, if it is given.
std::optional<QString> takeSeconds(const QString &name, const QStringList &given, std::optional<double> &seconds)
{
    if (given.isEmpty())
        return std::nullopt;
    bool ok = false;
    const double value = given.constLast().toDouble(&ok);
    if (!ok || !std::isfinite(value) || value < 0)
        return QStringLiteral("--%1 takes a number of seconds of at least 0, not '%2'").arg(name, given.constLast());
    seconds = value;
    return std::nullopt;
}

// A board is plugged in again only after it was unplugged.
std::optional<QString> takeReplugAt(const QStringList &given, DemoSettings &settings)
{
    if (auto problem = takeSeconds(QStringLiteral("replug-at"), given, settings.replugAt))
        return problem;
    if (!settings.replugAt)
        return std::nullopt;
    if (!settings.unplugAt)
        return QStringLiteral("--replug-at needs --unplug-at: the board is plugged in from the start");
    if (*settings.replugAt <= *settings.unplugAt)
        return QStringLiteral("--replug-at (%1) must come after --unplug-at (%2)")
            .arg(*settings.replugAt)
            .arg(*settings.unplugAt);
    return std::nullopt;
}

QList<commandline::OptionRule<DemoSettings>> demoRules()
{
    return {
        {QCommandLineOption("values",
                            "Freeze the board's report at A0,A1,A2,A3 (sticks, 0 to 1023) and A4,A5 (right and left "
                            "button, 0 = pressed, 1 = released, as the board sends them).",
                            "a0,a1,a2,a3,a4,a5"),
         takeValues},
        {QCommandLineOption("unplug-at", "Unplug the board <seconds> after the demo starts.", "seconds"),
         [](const QStringList &given, DemoSettings &settings) {
             return takeSeconds(QStringLiteral("unplug-at"), given, settings.unplugAt);
         }},
        {QCommandLineOption("replug-at",
                            "Plug a board in again <seconds> after the demo starts, later than --unplug-at.",
                            "seconds"),
         takeReplugAt},
        {QCommandLineOption("rest",
                            "Hold both sticks at rest, with a little noise, for <seconds> from when the "
                            "window finds the board (each time it does), then move them.",
                            "seconds"),
         [](const QStringList &given, DemoSettings &settings) {
             return takeSeconds(QStringLiteral("rest"), given, settings.rest);
         }},
        {QCommandLineOption("details", "Open the board's details window at start as well."),
         commandline::whetherGiven(&DemoSettings::details)},
    };
}

// Runs `action` `seconds` after the demo starts, if given.
template <typename Action>
void scheduleAt(std::optional<double> seconds, Action action)
{
    // A time past what a timer takes, some 24 days, comes at its limit.
    if (seconds)
        QTimer::singleShot(int(std::min(*seconds * 1000, double(std::numeric_limits<int>::max()))),
                           QCoreApplication::instance(), action);
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
    void restFor(int ms) { board_->restFor(ms); }
    std::shared_ptr<ComPortMap> ports() const { return ports_; }

    void plugIn()
    {
        board_ = std::make_unique<BoardSimulator>();
        if (values_) {
            const FrozenValues &v = *values_;
            board_->setValues(v[0], v[1], v[2], v[3], v[4] == kPressed, v[5] == kPressed);
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
    QStringList devices() const { return {QString(), QString(), isPresent() ? board_->slavePath() : QString()}; }

    std::optional<FrozenValues> values_;
    std::unique_ptr<BoardSimulator> board_;
    std::shared_ptr<ComPortMap> ports_;
};

} // namespace

// The ordinary monitor window with COM 1 and COM 2 absent and a simulated
// board on COM 3, for trying the program without hardware.
int main(int argc, char *argv[])
{
    const commandline::Program program{
        .name = "joystick-monitor-demo",
        .description = "The joystick monitor with a simulated board on COM 3.",
        .options = {},
        .positionalArguments = {},
        .qtWindowOptions = true,
    };
    // Read before the application exists, which needs a display.
    DemoSettings settings;
    const QStringList arguments = commandline::arguments(argc, argv);
    if (const auto exitStatus = commandline::parseInto(program, demoRules(), arguments, settings))
        return *exitStatus;

    // SIGINT and SIGTERM close the window as its close box does, as the
    // monitor's.
    holdTerminationRequests();
    const auto app = openDisplay(argc, argv);
    adoptDesktopIdentity();
    PluggableBoard board(settings.values);
    if (!board.isPresent()) {
        std::fprintf(stderr, "cannot create a pseudo-terminal for the simulated board\n");
        return 1;
    }
    scheduleAt(settings.unplugAt, [&board] { board.unplug(); });
    scheduleAt(settings.replugAt, [&board] { board.plugIn(); });

    JoystickMonitor monitor(board.ports());
    // The search takes some seconds (COM 1 and COM 2 are tried first): a
    // rest counted from start would be over before the window had seen it.
    if (settings.rest) {
        const int restMs = int(std::min(*settings.rest * 1000, double(std::numeric_limits<int>::max())));
        QObject::connect(&monitor.session().link(), &Link::stateChanged, &monitor.window(),
                         [&board, restMs](LinkState state) {
                             if (state == LinkState::Polling)
                                 board.restFor(restMs);
                         });
    }
    onTerminationRequest(&monitor.window(), [&] { monitor.window().close(); });
    monitor.start();
    if (settings.details)
        monitor.showDetails();
    return app->exec();
}
