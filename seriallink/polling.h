#pragma once

#include <QtGlobal>

namespace polling {

// Longest line kept while it is being received. Real device lines are a
// few characters long; a longer one is dropped whole.
constexpr qsizetype kMaxLineLength = 4096;

// Received characters from this code up are part of a line; the control
// characters below it (carriage return included) are dropped.
constexpr char16_t kLowestLineCharacter = 31;

// The test figure drawn by the test button, in drawing units.
constexpr float kTestFigureFrom = 10;
constexpr float kTestFigureTo = 40;

} // namespace polling
