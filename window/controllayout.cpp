#include "window/controllayout.h"

#include "window/vbcolor.h"

#include <QFont>
#include <QPalette>
#include <QWidget>

#include <algorithm>
#include <array>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace layout {
namespace {

// What controls without a font of their own use: the sans serif the
// layout was drawn with, at the size its status box uses, not bold.
constexpr FontStyle kDefaultFont{"MS Sans Serif", 8.25, false};
constexpr FontStyle kTitleFont{"MS Sans Serif", 18, true};
constexpr FontStyle kStatusFont{"MS Sans Serif", 8.25, true};
constexpr FontStyle kConsoleFont{"Courier New", 9.75, true};
constexpr FontStyle kResultFont{"Courier New", 8.25, true};

// name, caption, left, top, width, height, tab, text colour, font
const std::array<ControlLayout, 15> kControls{{
    {"Label1", "TORVENK", 360, 120, 2535, 495, 1, 0xC00000, kTitleFont},
    {"Info", "Grabador no encontrado", 240, 720, 2655, 285, 3, 0x004000, kStatusFont},
    {"Bconsola", "Text2", 240, 1080, 2655, 315, 4, 0x0000C0, kConsoleFont},
    {"bResultado", "", 240, 1680, 2655, 615, 2, 0x800000, kResultFont},
    {"Exit", "Exit", 960, 2280, 1095, 375, 0, {}, {}},
    {"Label2", "Monitor de joystick serie", 3360, 2400, 3975, 375, 14, 0x0000C0, {}},
    {"Picture1", {}, 3600, 120, 990, 990, 12, {}, {}},
    {"Picture2", {}, 5880, 120, 990, 990, 13, {}, {}},
    {"Command1", "Command1", 4800, 240, 975, 375, 11, {}, {}},
    {"vA0", "Text1", 3600, 1320, 615, 375, 5, {}, {}},
    {"vA1", "Text1", 3600, 1800, 615, 375, 6, {}, {}},
    {"vA2", "Text1", 5880, 1320, 615, 375, 7, {}, {}},
    {"vA3", "Text1", 5880, 1800, 615, 375, 8, {}, {}},
    {"vA5", "IZ", 4320, 1560, 615, 375, 10, {}, {}},
    {"vA4", "DE", 6600, 1560, 615, 375, 9, {}, {}},
}};

constexpr std::array<std::pair<const char *, const char *>, 2> kFontSubstitutes{{
    {"MS Sans Serif", "Liberation Sans"},
    {"Courier New", "Liberation Mono"},
}};

void setTextColor(QWidget &widget, uint32_t color)
{
    QPalette palette = widget.palette();
    const QColor text = vbcolor::toQColor(color);
    for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        palette.setColor(role, text);
    widget.setPalette(palette);
}

void setFont(QWidget &widget, const FontStyle &style)
{
    QFont font(QString::fromLatin1(style.family));
    font.setPointSizeF(style.points);
    font.setBold(style.bold);
    widget.setFont(font);
}

} // namespace

std::span<const ControlLayout> controls()
{
    return kControls;
}

const ControlLayout &control(const char *name)
{
    const auto row = std::find_if(kControls.begin(), kControls.end(),
                                  [name](const ControlLayout &r) { return std::strcmp(r.name, name) == 0; });
    if (row == kControls.end())
        throw std::logic_error(std::string("no layout for control ") + name);
    return *row;
}

int toPixels(int twips)
{
    return twips / kTwipsPerPixel;
}

void apply(QWidget &widget, const ControlLayout &row)
{
    widget.setObjectName(QString::fromLatin1(row.name));
    widget.setGeometry(toPixels(row.left), toPixels(row.top), toPixels(row.width), toPixels(row.height));
    if (row.caption)
        widget.setProperty("text", QString::fromLatin1(*row.caption));
    if (row.textColor)
        setTextColor(widget, *row.textColor);
    if (row.font)
        setFont(widget, *row.font);
}

void applyTabOrder(QWidget &window)
{
    std::vector<const ControlLayout *> rows;
    rows.reserve(kControls.size());
    for (const ControlLayout &row : kControls)
        rows.push_back(&row);
    std::sort(rows.begin(), rows.end(), [](auto *a, auto *b) { return a->tabIndex < b->tabIndex; });

    QWidget *previous = nullptr;
    for (const ControlLayout *row : rows) {
        auto *widget = window.findChild<QWidget *>(QString::fromLatin1(row->name), Qt::FindDirectChildrenOnly);
        if (!widget || !(widget->focusPolicy() & Qt::TabFocus))
            continue;
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
}

void applyDefaultFont(QWidget &window)
{
    setFont(window, kDefaultFont);
}

void installFontSubstitutes()
{
    for (const auto &[family, substitute] : kFontSubstitutes)
        QFont::insertSubstitution(QString::fromLatin1(family), QString::fromLatin1(substitute));
}

} // namespace layout
