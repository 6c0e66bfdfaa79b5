#include "stickdata/numberrule.h"
#include "stickdata/protocol.h"
#include "window/vbcolor.h"
#include "window/ventana.h"

#include <QStringList>

#include <array>

namespace {

// How a stick is drawn, in drawing units of its picture box: blue while its
// button is pressed, red otherwise.
constexpr float kStickRadius = 128;
constexpr uint32_t kButtonActiveColor = vbcolor::kBlue;
constexpr uint32_t kButtonIdleColor = vbcolor::kRed;

// A stick coordinate: its value text goes to a text box, its number to an
// integer field.
struct AxisChannel {
    const char *tag;
    QLineEdit *const ventana::*textBox;
    int16_t ventana::*value;
};

// A button: its state goes to a check box; the left button's line also
// closes a report and so redraws both sticks.
struct ButtonChannel {
    const char *tag;
    QCheckBox *const ventana::*checkBox;
    bool closesReport;
};

constexpr std::array<AxisChannel, 4> kAxes{{
    {protocol::kTags[0], &ventana::vA0, &ventana::iA0},
    {protocol::kTags[1], &ventana::vA1, &ventana::iA1},
    {protocol::kTags[2], &ventana::vA2, &ventana::iA2},
    {protocol::kTags[3], &ventana::vA3, &ventana::iA3},
}};

constexpr std::array<ButtonChannel, 2> kButtons{{
    {protocol::kTags[4], &ventana::vA4, false},
    {protocol::kTags[5], &ventana::vA5, true},
}};

template <typename Channel, std::size_t N>
const Channel *findChannel(const std::array<Channel, N> &channels, const QString &tag)
{
    for (const Channel &channel : channels)
        if (tag == QLatin1StringView(channel.tag))
            return &channel;
    return nullptr;
}

// The value goes through the text box on its way to the integer field, so
// the field always matches what the box shows. A box that already shows the
// value is left alone: setting it again would lay the text out and repaint
// it for nothing.
void applyAxis(ventana &window, const AxisChannel &axis, const QString &value)
{
    QLineEdit *box = window.*axis.textBox;
    if (box->text() != value)
        box->setText(value);
    window.*axis.value = leadingNumberToInt16(box->text());
}

uint32_t stickColor(const QCheckBox &button)
{
    return button.isChecked() ? kButtonActiveColor : kButtonIdleColor;
}

void drawStick(PictureBox &picture, int16_t x, int16_t y, const QCheckBox &button)
{
    picture.Cls();
    picture.Circle(float(x), float(y), kStickRadius, stickColor(button));
}

// The colours come from the check boxes as they stand now, so a click by
// the user counts until a line overwrites it.
void redrawSticks(ventana &window)
{
    drawStick(*window.Picture2, window.iA2, window.iA3, *window.vA4);
    drawStick(*window.Picture1, window.iA0, window.iA1, *window.vA5);
}

void applyButton(ventana &window, const ButtonChannel &button, const QString &value)
{
    (window.*button.checkBox)->setChecked(value == QLatin1StringView(protocol::kButtonActive));
    if (button.closesReport)
        redrawSticks(window);
}

} // namespace

void ventana::analizarIN(QString sa)
{
    if (sa.contains(CLAVE)) {
        boardIdentified();
        return;
    }

    const QStringList fields = sa.split(u' ');
    // A tag alone carries no value; such a line is ignored like any other
    // line that is not a tag line.
    if (fields.size() < 2)
        return;
    const QString &tag = fields[0];
    const QString &value = fields[1];

    if (const AxisChannel *axis = findChannel(kAxes, tag))
        applyAxis(*this, *axis, value);
    else if (const ButtonChannel *button = findChannel(kButtons, tag))
        applyButton(*this, *button, value);
}
