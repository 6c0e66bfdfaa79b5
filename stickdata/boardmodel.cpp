#include "stickdata/boardmodel.h"

#include "stickdata/interpreter.h"

AppliedLine BoardModel::apply(QStringView line)
{
    const LineMeaning meaning = analizarIN(line);
    if (const auto *axis = std::get_if<AxisLine>(&meaning)) {
        setAxis(axis->channel, axis->text, axis->value);
        return {LineKind::Channel, axis->channel, false};
    }
    if (const auto *button = std::get_if<ButtonLine>(&meaning)) {
        setButton(button->channel, button->pressed);
        if (button->closesReport)
            completeReport();
        return {LineKind::Channel, button->channel, button->closesReport};
    }
    if (std::holds_alternative<KeywordLine>(meaning))
        return {LineKind::Keyword};
    return {LineKind::Ignored};
}

// The text is copied into the string already held, which keeps its
// capacity: a report of the same length allocates nothing.
void BoardModel::setAxis(int channel, QStringView text, int16_t value)
{
    const std::array<int16_t *, kAxisCount> numbers{&iA0, &iA1, &iA2, &iA3};
    *numbers[size_t(channel)] = value;
    QString &held = axisTexts_[size_t(channel)];
    held.resize(0);
    held.append(text);
}

void BoardModel::setButton(int channel, bool pressed)
{
    pressed_[size_t(channel - kFirstButton)] = pressed;
}

void BoardModel::completeReport()
{
    lastReport_ = {lastReport_.number + 1, coordinates(), pressed_};
}
