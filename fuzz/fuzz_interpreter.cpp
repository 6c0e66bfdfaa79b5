// Any bytes, read as one Latin-1 line, through the line interpreter, and
// then shown by a window over a link that delivers the line.

#include "fuzzcheck.h"
#include "windowchecks.h"

#include "stickdata/interpreter.h"
#include "stickdata/numberrule.h"
#include "stickdata/protocol.h"
#include "support/fakelink.h"
#include "window/ventana.h"

#include <QStringView>

namespace {

constexpr int kAxisCount = 4;
constexpr int kLeftButton = 5;

// One window for the whole run, over a link the fuzzer speaks for. Shown
// once, so that its controls have their sizes, then hidden, so that its
// boxes take each text at once instead of with the next frame. It is never
// destroyed, like the application it belongs to.
struct Viewer {
    FakeLink link;
    ventana window{link};
};

Viewer &viewer()
{
    static Viewer *const instance = [] {
        auto *created = new Viewer;
        created->window.show();
        created->window.hide();
        return created;
    }();
    return *instance;
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

// The window shows what the line says, and only that.
void checkShown(const ventana &window, const LineMeaning &meaning, const WindowSnapshot &before)
{
    const WindowSnapshot after = takeSnapshot(window);
    if (const auto *axis = std::get_if<AxisLine>(&meaning)) {
        fuzzCheck(after.axisTexts[size_t(axis->channel)] == axis->text, "an axis line's box shows its text");
        fuzzCheck(window.coordinates()[size_t(axis->channel)] == axis->value, "an axis line sets its coordinate");
    } else {
        fuzzCheck(after.axisTexts == before.axisTexts, "only an axis line changes an axis box");
    }
    if (const auto *button = std::get_if<ButtonLine>(&meaning)) {
        const QCheckBox *box = button->channel == kLeftButton ? window.vA5 : window.vA4;
        fuzzCheck(box->isChecked() == button->pressed, "a button line checks its box exactly when pressed");
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    ensureApplication();
    viewer();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString line = latin1Text(data, size);
    const LineMeaning meaning = analizarIN(line);
    checkMeaning(line, meaning);

    Viewer &target = viewer();
    const WindowSnapshot before = takeSnapshot(target.window);
    emit target.link.lineReceived(line);
    checkShown(target.window, meaning, before);
    checkWindowState(target.window, before, line.size());
    return 0;
}
