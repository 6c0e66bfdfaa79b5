#pragma once

#include <QColor>
#include <QRgb>

#include <array>

// How the board's channels are told apart in the details views, and how
// those views look while the board is lost.
namespace tracestyle {

struct ChannelStyle {
    const char *label;
    QRgb colour;
};

// A0 to A5, in channel order.
constexpr std::array<ChannelStyle, 6> kChannels{{
    {"A0 left X", 0x1f77b4},
    {"A1 left Y", 0xff7f0e},
    {"A2 right X", 0x2ca02c},
    {"A3 right Y", 0xd62728},
    {"A4 right button", 0x9467bd},
    {"A5 left button", 0x8c564b},
}};

// What a stick view draws besides its position: the outline of its
// reach, its trail, and its centre and dead zone.
constexpr QRgb kOutline = 0x2e7d32;
constexpr QRgb kTrail = 0x1565c0;
constexpr QRgb kCalibration = 0xef6c00;

// `colour` as it is drawn: itself while the board is live, a light grey of
// the same lightness order while it is lost.
QColor shown(const QColor &colour, bool live);

} // namespace tracestyle
