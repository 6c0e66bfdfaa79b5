#include "window/ventana.h"

#include "seriallink/link.h"
#include "session/boardlines.h"
#include "stickdata/boardline.h"
#include "stickdata/boardmodel.h"
#include "window/filedialogs.h"
#include "window/shortenedtext.h"
#include "window/vbcolor.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>
#include <QToolTip>

#include <array>
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

// Where each channel is shown: the axes' text boxes, the buttons' check
// boxes, in the order of their channel numbers.
constexpr std::array kAxisBoxes{&ventana::vA0, &ventana::vA1, &ventana::vA2, &ventana::vA3};
constexpr std::array kButtonBoxes{&ventana::vA4, &ventana::vA5};

// Each stick: its picture, its coordinates among A0 to A3 and the check box
// of its button. The right stick is drawn first.
struct StickView {
    PictureBox *const ventana::*picture;
    size_t x;
    size_t y;
    QCheckBox *const ventana::*button;
};
constexpr std::array kSticks{StickView{&ventana::Picture2, 2, 3, &ventana::vA4},
                             StickView{&ventana::Picture1, 0, 1, &ventana::vA5}};

uint32_t stickColor(const QCheckBox &button)
{
    return button.isChecked() ? kButtonActiveColor : kButtonIdleColor;
}

} // namespace

ventana::ventana(Link &link, const BoardLines &lines, std::shared_ptr<LinkClock> clock, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                          | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint)
    , link_(link)
    , model_(lines.model())
    , pacer_([this](PresentSchedule::Parts parts) { present(parts); }, std::move(clock))
{
    layout::installFontSubstitutes();
    layout::applyDefaultFont(*this);
    setWindowTitle(QString::fromLatin1(kCaption));
    setFixedSize(layout::toPixels(layout::kClientWidth), layout::toPixels(layout::kClientHeight));
    layout::applyTabOrder(*this);

    connect(Exit, &QPushButton::clicked, this, &ventana::Exit_Click);
    connect(Command1, &QPushButton::clicked, this, &ventana::Command1_Click);
    // A click is newer than any line so far: it stands until the next line.
    for (size_t button = 0; button < kButtonBoxes.size(); ++button)
        connect(this->*kButtonBoxes[button], &QCheckBox::clicked, this,
                [this, button] { unshownChannels_.reset(BoardModel::kFirstButton + button); });
    connect(&link_, &Link::infoChanged, Info, &QLineEdit::setText);
    connect(&link_, &Link::consoleChanged, Bconsola, &QLineEdit::setText);
    connect(&link_, &Link::problemChanged, this, &ventana::showProblem);
    connect(&link_, &Link::polled, bResultado, &QLineEdit::clear);
    connect(&lines, &BoardLines::arrived, this, &ventana::queueForFrame);
}

QLineEdit *ventana::textBox(const char *name)
{
    auto *box = control<QLineEdit>(name);
    box->setReadOnly(true);
    return box;
}

// A value box skips text shaping, which for digits draws the same glyphs at
// the same places and makes setting and painting a value much cheaper; a
// value changes up to ten times a second.
QLineEdit *ventana::valueBox(const char *name)
{
    QLineEdit *box = textBox(name);
    // Only the strategy is set: family and size still come from the window.
    QFont noShaping;
    noShaping.setStyleStrategy(QFont::PreferNoShaping);
    box->setFont(noShaping);
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
    exitAction_();
}

void ventana::endProgram()
{
    std::fflush(nullptr);
    std::_Exit(EXIT_SUCCESS);
}

// The sticks of a report not drawn yet are drawn first, so that the test
// line is not drawn over when the next frame goes out.
void ventana::Command1_Click()
{
    bResultado->clear();
    link_.sendRequest();
    showSticks();
    Picture1->Cls();
    Picture1->Line(kTestFigureFrom, kTestFigureFrom, kTestFigureTo, kTestFigureTo, vbcolor::kRed);
}

void ventana::closeEvent(QCloseEvent *event)
{
    int16_t Cancel = 0;
    Form_Unload(Cancel);
    if (Cancel != 0) {
        event->ignore();
        return;
    }
    event->accept();
}

// A channel's line, and a report completed, wait for the next frame: every
// report is drawn, whole or not, as the model holds it.
void ventana::queueForFrame(const BoardLine &line)
{
    if (line.kind != LineKind::Channel)
        return;
    unshownChannels_.set(size_t(line.channel));
    if (line.report)
        reportUnshown_ = true;
    pacer_.changed(line.channel < BoardModel::kAxisCount ? PresentSchedule::Part::Texts
                                                         : PresentSchedule::Part::Sticks);
}

void ventana::present(PresentSchedule::Parts parts)
{
    if (parts.texts)
        showAxisTexts();
    if (parts.sticks)
        showSticks();
}

// A box that already shows its text is left alone: setting it again would
// lay the text out and repaint it for nothing.
void ventana::showAxisTexts()
{
    for (size_t channel = 0; channel < kAxisBoxes.size(); ++channel) {
        if (!unshownChannels_.test(channel))
            continue;
        unshownChannels_.reset(channel);
        QLineEdit *box = this->*kAxisBoxes[channel];
        if (box->text() != model_.axisText(int(channel)))
            box->setText(model_.axisText(int(channel)));
    }
}

// The sticks of the last report, in the colours the check boxes give now:
// a click by the user counts until a line overwrites it.
void ventana::showSticks()
{
    showButtons();
    if (!reportUnshown_)
        return;
    reportUnshown_ = false;
    const std::array<int16_t, 4> &at = model_.lastReport().coordinates;
    for (const StickView &stick : kSticks) {
        PictureBox &picture = *(this->*stick.picture);
        picture.Cls();
        picture.Circle(float(at[stick.x]), float(at[stick.y]), kStickRadius, stickColor(*(this->*stick.button)));
    }
}

void ventana::showButtons()
{
    for (size_t button = 0; button < kButtonBoxes.size(); ++button) {
        const size_t channel = BoardModel::kFirstButton + button;
        if (!unshownChannels_.test(channel))
            continue;
        unshownChannels_.reset(channel);
        (this->*kButtonBoxes[button])->setChecked(model_.pressed(int(channel)));
    }
}

// The status texts stay short; why a port failed goes in the console
// box's tooltip. The reason is logged whole elsewhere; a long device path
// in it is shortened here, where it must fit on the screen. A tooltip on
// screen that shows the reason before is brought up to date at once, and
// hidden when all is well: Qt would leave the old reason in view until the
// pointer moves.
void ventana::showProblem(const QString &reason)
{
    const QString shown = shortenLongWords(reason);
    if (QToolTip::isVisible() && QToolTip::text() == Bconsola->toolTip())
        QToolTip::showText(QCursor::pos(), shown, Bconsola);
    Bconsola->setToolTip(shown);
}

void ventana::showRecording(bool active, const QString &state)
{
    recording_ = active;
    setToolTip(state);
}

// The menu and the file dialog are made when wanted and go when closed,
// so that the window's controls stay its layout's; neither waits in a loop
// of its own.
void ventana::contextMenuEvent(QContextMenuEvent *event)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(tr("Record to file…"), this, &ventana::chooseRecordingFile)->setEnabled(!recording_);
    menu->addAction(tr("Stop recording"), this, &ventana::stopRecordingRequested)->setEnabled(recording_);
    menu->addSeparator();
    menu->addAction(tr("Board details…"), this, &ventana::detailsRequested);
    menu->popup(event->globalPos());
}

void ventana::chooseRecordingFile()
{
    askForRecordingFile(this, [this](const QString &file) { emit recordRequested(file); });
}
