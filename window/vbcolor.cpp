#include "window/vbcolor.h"

#include <QApplication>
#include <QPalette>

#include <array>
#include <utility>

namespace vbcolor {
namespace {

constexpr uint32_t kSystemFlag = 0x80000000;

constexpr std::array<std::pair<uint32_t, QPalette::ColorRole>, 2> kSystemColors{{
    {kSystemWindow, QPalette::Base},
    {kSystemWindowText, QPalette::Text},
}};

QColor systemColor(uint32_t value)
{
    for (const auto &[key, role] : kSystemColors)
        if (key == value)
            return QApplication::palette().color(role);
    return QApplication::palette().color(QPalette::Window);
}

} // namespace

QColor toQColor(uint32_t value)
{
    if (value & kSystemFlag)
        return systemColor(value);
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

} // namespace vbcolor
