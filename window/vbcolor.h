#pragma once

#include <QColor>

#include <cstdint>

// Colours are written as 0x00BBGGRR (red in the low byte). Values from
// 0x80000000 up name a system colour by the index in their low byte.
namespace vbcolor {

constexpr uint32_t kRed = 0x0000FF;
constexpr uint32_t kBlue = 0xFF0000;
constexpr uint32_t kSystemWindow = 0x80000005;
constexpr uint32_t kSystemWindowText = 0x80000008;

QColor toQColor(uint32_t value);

} // namespace vbcolor
