#pragma once

#include "stickdata/boardmodel.h"

#include <QString>

#include <array>

// What the model held before an input, to compare with after it.
struct ModelSnapshot {
    std::array<QString, 4> axisTexts;
    Report lastReport;
};

ModelSnapshot takeSnapshot(const BoardModel &model);

// Checks what must hold however the input went: every axis text that
// changed holds at most `longestValue` characters; every coordinate is the
// leading number of its text; the input completed `reports` more reports,
// numbered on from the last one before it.
void checkModelState(const BoardModel &model, const ModelSnapshot &before, qsizetype longestValue, quint64 reports);
