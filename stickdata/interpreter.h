#pragma once

#include "stickdata/protocol.h"

#include <QLatin1StringView>
#include <QStringView>

#include <cstdint>
#include <variant>

// What one device line says.

// The board's announcement: it identifies the port it arrived on.
struct KeywordLine {
    bool operator==(const KeywordLine &) const = default;
};

// A stick coordinate: channel 0 to 3 (tags A0 to A3), the value's text as
// received, and its number. The text views the line it came from.
struct AxisLine {
    int channel;
    QStringView text;
    int16_t value;
    bool operator==(const AxisLine &) const = default;
};

// A button: channel 4 (A4, the right stick's) or 5 (A5, the left stick's).
// The left button's line also closes a report: both sticks are redrawn.
struct ButtonLine {
    int channel;
    bool pressed;
    bool closesReport;
    bool operator==(const ButtonLine &) const = default;
};

// Any other line says nothing.
using LineMeaning = std::variant<std::monostate, KeywordLine, AxisLine, ButtonLine>;

// Whether `sa` contains the keyword `CLAVE` anywhere, compared exactly.
bool isKeywordLine(QStringView sa, QLatin1StringView CLAVE);

// Reads one device line. A line with the keyword is a keyword line whatever
// else it holds; otherwise field 0 (up to the first space) is the tag and
// field 1 (up to the next space) the value; further fields are ignored, and
// a line without a tag or without a value field says nothing.
LineMeaning analizarIN(QStringView sa, QLatin1StringView CLAVE = QLatin1StringView(protocol::kKeyword));
