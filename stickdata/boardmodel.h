#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <cstdint>

// The board's channels as one completed report left them: the moment its
// closing "A5" line arrived.
struct Report {
    // Counts from 1, the first report completed.
    quint64 number = 0;
    // A0 to A3, in drawing units.
    std::array<int16_t, 4> coordinates{};
    // A4 (the right stick's button) and A5 (the left stick's).
    std::array<bool, 2> pressed{};

    bool operator==(const Report &) const = default;
};

// Where a report came from: its port's number (3 for COM3) and its device.
struct ReportOrigin {
    int port = 0;
    QString device;
};

// What a device line was: a channel's (A0 to A5), the board's keyword, a
// line the program made nothing of, or one too long to take, dropped.
enum class LineKind { Channel, Keyword, Ignored, Dropped };

// What one line did to the model.
struct AppliedLine {
    LineKind kind = LineKind::Ignored;
    // The channel it set, 0 to 5; -1 for any other line.
    int channel = -1;
    // An "A5" line completes a report.
    bool completesReport = false;

    bool operator==(const AppliedLine &) const = default;
};

// What the board has said, as the line interpreter leaves it: each axis's
// text as received and its number, each button as the last line set it,
// and the reports completed. Lines change it one at a time, and each says
// what it did, for whoever shows, records or prints the board's data.
class BoardModel final {
public:
    static constexpr int kAxisCount = 4;
    static constexpr int kFirstButton = 4;
    static constexpr int kChannelCount = 6;

    // Interprets one device line. A line with the keyword, and a line that
    // is no channel's, change nothing.
    AppliedLine apply(QStringView line);

    // An axis's value text as last received; empty before any.
    const QString &axisText(int channel) const { return axisTexts_[size_t(channel)]; }
    // The axes' numbers, iA0 to iA3.
    std::array<int16_t, kAxisCount> coordinates() const { return {iA0, iA1, iA2, iA3}; }
    // Whether a button's last line said it is pressed; channel 4 or 5.
    bool pressed(int channel) const { return pressed_[size_t(channel - kFirstButton)]; }
    // The last report completed; number 0 before the first.
    const Report &lastReport() const { return lastReport_; }

private:
    void setAxis(int channel, QStringView text, int16_t value);
    void setButton(int channel, bool pressed);
    void completeReport();

    int16_t iA0 = 0;
    int16_t iA1 = 0;
    int16_t iA2 = 0;
    int16_t iA3 = 0;
    std::array<QString, kAxisCount> axisTexts_;
    std::array<bool, 2> pressed_{};
    Report lastReport_;
};
