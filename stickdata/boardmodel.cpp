#include "stickdata/boardmodel.h"

#include "stickdata/interpreter.h"

bool BoardModel::apply(QStringView line)
{
    const LineMeaning meaning = analizarIN(line);
    if (const auto *axis = std::get_if<AxisLine>(&meaning)) {
        setAxis(axis->channel, axis->text, axis->value);
    } else if (const auto *button = std::get_if<ButtonLine>(&meaning)) {
        setButton(button->channel, button->pressed);
        if (button->closesReport) {
            completeReport();
            return true;
        }
    } else if (std::holds_alternative<std::monostate>(meaning)) {
        emit lineIgnored(line.toString());
    }
    return false;
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
    emit channelSet(channel);
}

void BoardModel::setButton(int channel, bool pressed)
{
    pressed_[size_t(channel - kFirstButton)] = pressed;
    emit channelSet(channel);
}

void BoardModel::completeReport()
{
    lastReport_ = {lastReport_.number + 1, coordinates(), pressed_};
    emit reportCompleted(lastReport_);
}
