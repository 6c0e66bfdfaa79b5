#pragma once

#include <QString>
#include <QStringView>

namespace polling {

// Longest line kept while it is being received. Real device lines are a
// few characters long; a longer one is dropped whole.
constexpr qsizetype kMaxLineLength = 4096;

// Received characters that compare no greater than this one (code 30) are
// not part of any line.
constexpr QStringView kHighestDroppedCharacter = u"\x1e";

// The test figure drawn by the test button, in drawing units.
constexpr float kTestFigureFrom = 10;
constexpr float kTestFigureTo = 40;

} // namespace polling
