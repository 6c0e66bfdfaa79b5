#pragma once

#include <QString>

#include <optional>

// Turns the characters the board sends, one at a time, into device
// lines: a line feed ends a line, the other control characters (carriage
// return included) are dropped, and a line longer than the limit is dropped
// whole, up to its line feed, so that no cut-off line is ever interpreted.
class LineAssembler {
public:
    // Real device lines are a few characters long.
    static constexpr qsizetype kMaxLineLength = 4096;
    // Received characters from this code up are part of a line.
    static constexpr char16_t kLowestLineCharacter = 31;

    // What one received character did.
    struct Taken {
        // The line that a line feed ended.
        std::optional<QString> line;
        // The character made the line under way too long: that line is
        // dropped whole, and this is said once for it.
        bool dropped = false;
    };

    // Takes one received character.
    Taken take(QChar character);

    // The port changed: a line being dropped for its length ends with the
    // port it came from, so the next port's first line is not dropped as its
    // rest. The characters of an unfinished line are kept.
    void portChanged();

    // The connection was lost: the line under way is forgotten, so nothing
    // of it is put in front of the next connection's first line.
    void clear();

private:
    // Appends `character`; false when that drops the line.
    bool append(QChar character);

    QString linea_;
    bool skippingLongLine_ = false;
};
