#include "windowchecks.h"

#include "fuzzcheck.h"
#include "stickdata/numberrule.h"

namespace {

struct Axis {
    QLineEdit *const ventana::*box;
    int16_t ventana::*value;
};

constexpr std::array<Axis, 4> kAxes{{
    {&ventana::vA0, &ventana::iA0},
    {&ventana::vA1, &ventana::iA1},
    {&ventana::vA2, &ventana::iA2},
    {&ventana::vA3, &ventana::iA3},
}};

void checkAxis(const ventana &window, const Axis &axis, const QString &textBefore, qsizetype longestValue)
{
    const QString text = (window.*axis.box)->text();
    fuzzCheck(text == textBefore || text.size() <= longestValue, "a new axis text is no longer than its line");
    fuzzCheck(window.*axis.value == leadingNumberToInt16(text), "an axis number is its box's leading number");
}

} // namespace

WindowSnapshot takeSnapshot(const ventana &window)
{
    WindowSnapshot snapshot;
    for (size_t i = 0; i < kAxes.size(); ++i)
        snapshot.axisTexts[i] = (window.*kAxes[i].box)->text();
    snapshot.leftPicture = window.Picture1->drawing().size();
    snapshot.rightPicture = window.Picture2->drawing().size();
    return snapshot;
}

void checkWindowState(const ventana &window, const WindowSnapshot &before, qsizetype longestValue)
{
    fuzzCheck(window.portok == 0 || window.portok == 1, "portok is 0 or 1");
    for (size_t i = 0; i < kAxes.size(); ++i)
        checkAxis(window, kAxes[i], before.axisTexts[i], longestValue);
    fuzzCheck(window.Picture1->drawing().size() == before.leftPicture, "the left picture keeps its size");
    fuzzCheck(window.Picture2->drawing().size() == before.rightPicture, "the right picture keeps its size");
}
