#pragma once

#include <QString>

namespace polling {

// Longest line kept while it is being received. Real device lines are a
// few characters long; a longer one is dropped whole.
constexpr qsizetype kMaxLineLength = 4096;

// Received characters from this code down are not part of any line.
constexpr char16_t kHighestDroppedCode = 30;

// The test figure drawn by the test button, in drawing units.
constexpr float kTestFigureFrom = 10;
constexpr float kTestFigureTo = 40;

} // namespace polling
