#pragma once

#include <QString>

#include <cstdint>
#include <optional>
#include <span>

class QWidget;

struct FontStyle {
    const char *family;
    double points;
    bool bold;
};

// Where a control of the window stands and how it looks. Lengths are in
// twips (1/1440 inch); colours are 0x00BBGGRR.
struct ControlLayout {
    const char *name;
    std::optional<const char *> caption;
    int left;
    int top;
    int width;
    int height;
    int tabIndex;
    std::optional<uint32_t> textColor;
    std::optional<FontStyle> font;
};

namespace layout {

constexpr int kTwipsPerPixel = 15;
constexpr int kClientWidth = 7455;
constexpr int kClientHeight = 3120;

std::span<const ControlLayout> controls();
const ControlLayout &control(const char *name);

int toPixels(int twips);

// Places `widget` as its row of the table says: name, geometry, caption,
// text colour and font.
void apply(QWidget &widget, const ControlLayout &row);

// Chains the window's focusable controls in the order of their tab index.
void applyTabOrder(QWidget &window);

// Gives `window` the font its controls use unless their row names one.
void applyDefaultFont(QWidget &window);

// Maps the fonts the layout names to metric-compatible ones found on Linux.
void installFontSubstitutes();

} // namespace layout
