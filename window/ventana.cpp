#include "window/ventana.h"

#include "seriallink/link.h"
#include "stickdata/interpreter.h"
#include "window/panelstyle.h"
#include "window/vbcolor.h"

#include <QCloseEvent>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr auto kCaption = "JOYSTICK";

// How a stick is drawn, in drawing units of its picture box: blue while its
// button is pressed, red otherwise.
constexpr float kStickRadius = 128;
constexpr uint32_t kButtonActiveColor = vbcolor::kBlue;
constexpr uint32_t kButtonIdleColor = vbcolor::kRed;

// The test figure drawn by the test button, in drawing units.
constexpr float kTestFigureFrom = 10;
constexpr float kTestFigureTo = 40;

// Where each channel is shown: the axes' text boxes and numbers, the
// buttons' check boxes, in the order of their channel numbers.
constexpr std::array kAxisBoxes{&ventana::vA0, &ventana::vA1, &ventana::vA2, &ventana::vA3};
constexpr int kFirstButton = 4;
constexpr std::array kButtonBoxes{&ventana::vA4, &ventana::vA5};

uint32_t stickColor(const QCheckBox &button)
{
    return button.isChecked() ? kButtonActiveColor : kButtonIdleColor;
}

void drawStick(PictureBox &picture, int16_t x, int16_t y, uint32_t color)
{
    picture.Cls();
    picture.Circle(float(x), float(y), kStickRadius, color);
}

// Ends the process at once; no close or unload handling runs.
[[noreturn]] void endProgram()
{
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

} // namespace

ventana::ventana(Link &link, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , link_(link)
{
    layout::installFontSubstitutes();
    layout::applyDefaultFont(*this);
    setWindowTitle(QString::fromLatin1(kCaption));
    setFixedSize(layout::toPixels(layout::kClientWidth), layout::toPixels(layout::kClientHeight));
    layout::applyTabOrder(*this);

    for (size_t channel = 0; channel < kAxisBoxes.size(); ++channel)
        axisTexts_[channel] = (this->*kAxisBoxes[channel])->text();
    framePacer_.beforeEachFrame([this] { showLatest(); });

    connect(Exit, &QPushButton::clicked, this, &ventana::Exit_Click);
    connect(Command1, &QPushButton::clicked, this, &ventana::Command1_Click);
    connect(&link_, &Link::infoChanged, Info, &QLineEdit::setText);
    connect(&link_, &Link::consoleChanged, Bconsola, &QLineEdit::setText);
    connect(&link_, &Link::problemChanged, this, &ventana::showProblem);
    connect(&link_, &Link::lineReceived, this, &ventana::showLine);
    connect(&link_, &Link::polled, bResultado, &QLineEdit::clear);
}

QLineEdit *ventana::textBox(const char *name)
{
    auto *box = control<QLineEdit>(name);
    box->setReadOnly(true);
    box->setStyle(&PanelStyle::shared());
    return box;
}

void ventana::Form_Load()
{
    show();
    link_.buscarPuerto();
}

void ventana::Form_Unload(int16_t &)
{
    link_.close();
}

void ventana::Exit_Click()
{
    link_.releasePortLock();
    endProgram();
}

void ventana::Command1_Click()
{
    bResultado->clear();
    link_.sendRequest();
    drawWaitingSticks();
    Picture1->Cls();
    Picture1->Line(kTestFigureFrom, kTestFigureFrom, kTestFigureTo, kTestFigureTo, vbcolor::kRed);
}

void ventana::showLine(const QString &line)
{
    const LineMeaning meaning = analizarIN(line);
    if (const auto *axis = std::get_if<AxisLine>(&meaning))
        showAxis(axis->channel, axis->text, axis->value);
    else if (const auto *button = std::get_if<ButtonLine>(&meaning))
        showButton(button->channel, button->pressed, button->closesReport);
}

void ventana::closeEvent(QCloseEvent *event)
{
    int16_t Cancel = 0;
    Form_Unload(Cancel);
    if (Cancel != 0) {
        event->ignore();
        return;
    }
    unloaded_ = true;
    event->accept();
}

// The number is kept at once; the text goes into its box with the next
// frame, once a frame at most: setting a text lays it out anew, which costs
// more than the rest of a report.
void ventana::showAxis(int channel, QStringView text, int16_t value)
{
    std::array<int16_t *, 4> fields{&iA0, &iA1, &iA2, &iA3};
    *fields[size_t(channel)] = value;
    QString &latest = axisTexts_[size_t(channel)];
    if (latest == text)
        return;
    latest.resize(0);
    latest.append(text);
    showWithNextFrame();
}

void ventana::showButton(int channel, bool pressed, bool closesReport)
{
    (this->*kButtonBoxes[size_t(channel - kFirstButton)])->setChecked(pressed);
    if (closesReport)
        redrawSticks();
}

// The sticks as the report just completed leaves them. The colours come
// from the check boxes as they stand now, so a click by the user counts
// until a line overwrites it. They are drawn with the next frame: a report
// that a newer one replaces before then is never drawn.
void ventana::redrawSticks()
{
    waitingSticks_ = {{{Picture2, iA2, iA3, stickColor(*vA4)}, {Picture1, iA0, iA1, stickColor(*vA5)}}};
    showWithNextFrame();
}

// A hidden window has no frames to wait for.
void ventana::showWithNextFrame()
{
    if (isVisible())
        framePacer_.requestFrame();
    else
        showLatest();
}

void ventana::showLatest()
{
    showAxisTexts();
    drawWaitingSticks();
}

// A box that already shows its text is left alone: setting it again would
// lay the text out and repaint it for nothing.
void ventana::showAxisTexts()
{
    for (size_t channel = 0; channel < kAxisBoxes.size(); ++channel) {
        QLineEdit *box = this->*kAxisBoxes[channel];
        if (box->text() != axisTexts_[channel])
            box->setText(axisTexts_[channel]);
    }
}

void ventana::drawWaitingSticks()
{
    if (!waitingSticks_)
        return;
    const std::array<Stick, 2> sticks = *waitingSticks_;
    waitingSticks_.reset();
    for (const Stick &stick : sticks)
        drawStick(*stick.picture, stick.x, stick.y, stick.color);
}

// The status texts stay short; why a port failed goes in the console
// box's tooltip.
void ventana::showProblem(const QString &reason)
{
    Bconsola->setToolTip(reason);
}
