#include "modelchecks.h"

#include "fuzzcheck.h"
#include "stickdata/numberrule.h"

ModelSnapshot takeSnapshot(const BoardModel &model)
{
    ModelSnapshot snapshot;
    for (int channel = 0; channel < BoardModel::kAxisCount; ++channel)
        snapshot.axisTexts[size_t(channel)] = model.axisText(channel);
    snapshot.lastReport = model.lastReport();
    return snapshot;
}

void checkModelState(const BoardModel &model, const ModelSnapshot &before, qsizetype longestValue, quint64 reports)
{
    const std::array<int16_t, 4> coordinates = model.coordinates();
    for (int channel = 0; channel < BoardModel::kAxisCount; ++channel) {
        const QString &text = model.axisText(channel);
        fuzzCheck(text == before.axisTexts[size_t(channel)] || text.size() <= longestValue,
                  "a new axis text is no longer than its line");
        fuzzCheck(coordinates[size_t(channel)] == leadingNumberToInt16(text),
                  "a coordinate is its text's leading number");
    }
    fuzzCheck(model.lastReport().number == before.lastReport.number + reports,
              "every closing line completes one report, numbered on");
}
