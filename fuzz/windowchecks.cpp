#include "windowchecks.h"

#include "fuzzcheck.h"
#include "stickdata/numberrule.h"

namespace {

constexpr std::array kAxisBoxes{&ventana::vA0, &ventana::vA1, &ventana::vA2, &ventana::vA3};

QString axisText(const ventana &window, size_t channel)
{
    return (window.*kAxisBoxes[channel])->text();
}

} // namespace

WindowSnapshot takeSnapshot(const ventana &window)
{
    WindowSnapshot snapshot;
    for (size_t channel = 0; channel < kAxisBoxes.size(); ++channel)
        snapshot.axisTexts[channel] = axisText(window, channel);
    snapshot.leftPicture = window.Picture1->drawing().size();
    snapshot.rightPicture = window.Picture2->drawing().size();
    return snapshot;
}

void checkWindowState(const ventana &window, const WindowSnapshot &before, qsizetype longestValue)
{
    const std::array<int16_t, 4> coordinates = window.coordinates();
    for (size_t channel = 0; channel < kAxisBoxes.size(); ++channel) {
        const QString text = axisText(window, channel);
        fuzzCheck(text == before.axisTexts[channel] || text.size() <= longestValue,
                  "a new axis text is no longer than its line");
        fuzzCheck(coordinates[channel] == leadingNumberToInt16(text), "a coordinate is its box's leading number");
    }
    fuzzCheck(window.Picture1->drawing().size() == before.leftPicture, "the left picture keeps its size");
    fuzzCheck(window.Picture2->drawing().size() == before.rightPicture, "the right picture keeps its size");
}
