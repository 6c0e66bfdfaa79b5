#include "gamepad/virtualpad.h"

namespace {

std::array<AxisMap, BoardModel::kAxisCount> axisMaps(const PadSettings &settings)
{
    std::array<AxisMap, BoardModel::kAxisCount> maps;
    for (size_t axis = 0; axis < maps.size(); ++axis) {
        if (settings.calibration)
            maps[axis] = AxisMap(settings.calibration->axes[axis]);
        if (settings.inverted[axis])
            maps[axis] = maps[axis].inverted();
    }
    return maps;
}

} // namespace

VirtualPad::VirtualPad(PadSettings settings, std::unique_ptr<PadOutput> output, const std::shared_ptr<LinkClock> &clock)
    : settings_(std::move(settings))
    , maps_(axisMaps(settings_))
    , output_(std::move(output))
    , watchdog_(clock->makeTimer(LinkClock::Repeat::Once, [this] { centre(); }))
{
}

void VirtualPad::boardIdentified()
{
    if (made_)
        return;
    problem_ = output_->create(settings_.identity, settings_.layout);
    made_ = !problem_;
    if (made_)
        location_ = output_->location();
}

void VirtualPad::take(const BoardLine &line)
{
    if (line.completesWholeReport())
        showReport(*line.report);
}

void VirtualPad::showReport(const Report &report)
{
    if (!made_)
        return;
    show(mapped(report));
    watchdog_->start(kWatchdog);
}

void VirtualPad::boardLost()
{
    if (made_)
        centre();
}

void VirtualPad::followLink(LinkState state)
{
    if (state == LinkState::Polling)
        boardIdentified();
    else
        boardLost();
}

QString VirtualPad::status() const
{
    if (!made_)
        return problem_ ? QStringLiteral("could not be made: ") + *problem_ : QStringLiteral("off");
    QString status = location_ + QStringLiteral(", ") + QString::fromUtf8(settings_.identity.name);
    if (problem_)
        status += QStringLiteral(" (") + *problem_ + u')';
    return status;
}

VirtualPad::Shown VirtualPad::mapped(const Report &report) const
{
    Shown shown;
    for (size_t axis = 0; axis < maps_.size(); ++axis)
        shown.axes[axis] = maps_[axis](report.coordinates[axis]);
    // The report has A4, the right stick's button, first.
    shown.pressed = {report.pressed[1], report.pressed[0]};
    return shown;
}

void VirtualPad::show(const Shown &next)
{
    PadFrame frame;
    for (size_t axis = 0; axis < next.axes.size(); ++axis)
        if (next.axes[axis] != shown_.axes[axis])
            frame.push_back({EV_ABS, kAxisCodes[axis], next.axes[axis]});
    const ButtonCodes codes = buttonCodes(settings_.layout);
    const std::array<uint16_t, 2> buttons{codes.left, codes.right};
    for (size_t button = 0; button < buttons.size(); ++button)
        if (next.pressed[button] != shown_.pressed[button])
            frame.push_back({EV_KEY, buttons[button], next.pressed[button] ? 1 : 0});
    if (frame.empty())
        return;
    // A frame that could not be sent is sent again in full with the next.
    problem_ = output_->send(frame);
    if (!problem_)
        shown_ = next;
}
