// Any bytes, read as one Latin-1 line, through the line interpreter, and
// then applied to the board's model.

#include "fuzzcheck.h"
#include "modelchecks.h"

#include "stickdata/boardmodel.h"
#include "stickdata/interpreter.h"
#include "stickdata/numberrule.h"
#include "stickdata/protocol.h"

#include <QStringView>

namespace {

constexpr int kAxisCount = 4;
constexpr int kLeftButton = 5;

// One model for the whole run, so that each line lands on the state the
// lines before it left.
BoardModel &model()
{
    static BoardModel instance;
    return instance;
}

// The channel whose tag is the line's first field, when a space follows
// it; -1 otherwise.
int taggedChannel(QStringView line)
{
    const qsizetype space = line.indexOf(u' ');
    if (space < 0)
        return -1;
    for (int channel = 0; channel < int(protocol::kTags.size()); ++channel)
        if (line.first(space) == QLatin1StringView(protocol::kTags[size_t(channel)]))
            return channel;
    return -1;
}

// The line's second field: after the tag and its space, up to the next.
QStringView valueField(QStringView line)
{
    const QStringView rest = line.sliced(line.indexOf(u' ') + 1);
    const qsizetype end = rest.indexOf(u' ');
    return end < 0 ? rest : rest.first(end);
}

void checkAxis(QStringView line, const AxisLine &axis)
{
    fuzzCheck(axis.channel == taggedChannel(line), "an axis line has its tag's channel");
    const QStringView field = valueField(line);
    fuzzCheck(axis.text.data() == field.data() && axis.text.size() == field.size(),
              "an axis text is the value field as received");
    fuzzCheck(axis.value == leadingNumberToInt16(axis.text), "an axis number is its text's leading number");
}

void checkButton(QStringView line, const ButtonLine &button)
{
    fuzzCheck(button.channel == taggedChannel(line), "a button line has its tag's channel");
    fuzzCheck(button.pressed == (valueField(line) == QLatin1StringView(protocol::kButtonActive)),
              "a button is pressed exactly when its value field is the active value");
    fuzzCheck(button.closesReport == (button.channel == kLeftButton), "only the left button closes a report");
}

void checkMeaning(QStringView line, const LineMeaning &meaning)
{
    const bool hasKeyword = line.contains(QLatin1StringView(protocol::kKeyword));
    fuzzCheck(std::holds_alternative<KeywordLine>(meaning) == hasKeyword,
              "exactly the lines with the keyword are keyword lines");
    if (hasKeyword)
        return;
    const int channel = taggedChannel(line);
    if (const auto *axis = std::get_if<AxisLine>(&meaning))
        checkAxis(line, *axis);
    else if (const auto *button = std::get_if<ButtonLine>(&meaning))
        checkButton(line, *button);
    else
        fuzzCheck(channel < 0, "a line with a tag and a value field says something");
    fuzzCheck(channel < 0 || std::holds_alternative<AxisLine>(meaning) == (channel < kAxisCount),
              "axis tags make axis lines, button tags button lines");
}

// The model takes what the line says, and only that.
void checkApplied(const BoardModel &model, const LineMeaning &meaning, const ModelSnapshot &before, bool completed)
{
    if (const auto *axis = std::get_if<AxisLine>(&meaning)) {
        fuzzCheck(model.axisText(axis->channel) == axis->text, "an axis line's text is held as received");
        fuzzCheck(model.coordinates()[size_t(axis->channel)] == axis->value, "an axis line sets its coordinate");
    } else {
        fuzzCheck(takeSnapshot(model).axisTexts == before.axisTexts, "only an axis line changes an axis text");
    }
    const auto *button = std::get_if<ButtonLine>(&meaning);
    if (button)
        fuzzCheck(model.pressed(button->channel) == button->pressed,
                  "a button line sets its button exactly when pressed");
    fuzzCheck(completed == (button && button->closesReport), "exactly the left button's line completes a report");
    const Report expected{before.lastReport.number + 1, model.coordinates(), {model.pressed(4), model.pressed(5)}};
    fuzzCheck(model.lastReport() == (completed ? expected : before.lastReport),
              "a completed report holds the channels as its closing line left them");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString line = latin1Text(data, size);
    const LineMeaning meaning = analizarIN(line);
    checkMeaning(line, meaning);

    BoardModel &target = model();
    const ModelSnapshot before = takeSnapshot(target);
    const bool completed = target.apply(line).completesReport;
    checkApplied(target, meaning, before, completed);
    checkModelState(target, before, line.size(), completed ? 1 : 0);
    return 0;
}
