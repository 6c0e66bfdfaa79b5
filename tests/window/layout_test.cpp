#include "session/boardlines.h"
#include "tests/support/fakelink.h"
#include "tests/support/qtprinters.h"
#include "window/controllayout.h"
#include "window/ventana.h"

#include <QFontInfo>
#include <QStyle>
#include <QStyleOptionButton>

#include <gtest/gtest.h>

namespace {

struct Window : ::testing::Test {
    FakeLink link;
    BoardLines lines{link};
    ventana window{link, lines};
};

// The width a control needs to show its whole caption, by its style's own
// metrics: a push button's label plus its margin inside the frame, a check
// box's indicator, spacing and label.
int widthNeeded(QAbstractButton &control)
{
    auto *button = qobject_cast<QPushButton *>(&control);
    if (!button)
        return control.sizeHint().width();
    QStyleOptionButton option;
    option.initFrom(button);
    if (button->autoDefault())
        option.features |= QStyleOptionButton::AutoDefaultButton;
    const QStyle &style = *button->style();
    const int frame = button->width() - style.subElementRect(QStyle::SE_PushButtonContents, &option, button).width();
    return button->fontMetrics().horizontalAdvance(button->text())
           + style.pixelMetric(QStyle::PM_ButtonMargin, &option, button) + frame;
}

} // namespace

TEST_F(Window, IsAFixedSizeJoystickWindowWithoutMinimizeOrMaximizeItsStatusBoxesInTheirColoursAndFonts)
{
    EXPECT_EQ(window.windowTitle(), "JOYSTICK");
    EXPECT_EQ(window.size(), QSize(497, 208));
    EXPECT_EQ(window.minimumSize(), window.maximumSize());
    const Qt::WindowFlags flags = window.windowFlags();
    EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
    EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);

    EXPECT_EQ(window.Label1->palette().color(QPalette::WindowText), QColor(0, 0, 0xC0));
    EXPECT_EQ(window.Bconsola->palette().color(QPalette::Text), QColor(0xC0, 0, 0));
    EXPECT_EQ(window.Label1->font().pointSizeF(), 18);
    EXPECT_TRUE(window.Label1->font().bold());
    EXPECT_EQ(QFontInfo(window.Bconsola->font()).fixedPitch(), true);
}

// The captions as the table has them; two of them, to show they are set.
TEST_F(Window, PlacesTheControlsWithTheirInitialTexts)
{
    // Geometry worked out by hand from the twips, at 15 twips a pixel.
    const std::pair<QWidget *, QRect> placed[] = {
        {window.Info, QRect(16, 48, 177, 19)},
        {window.Picture1, QRect(240, 8, 66, 66)},
        {window.Command1, QRect(320, 16, 65, 25)},
        {window.vA4, QRect(440, 104, 41, 25)},
    };
    for (const auto &[widget, geometry] : placed)
        EXPECT_EQ(widget->geometry(), geometry) << widget->objectName().toStdString();
    EXPECT_EQ(window.findChildren<QWidget *>(Qt::FindDirectChildrenOnly).size(), qsizetype(layout::controls().size()));
    EXPECT_EQ(window.Info->text(), "Grabador no encontrado");
    EXPECT_EQ(window.vA4->text(), "DE");
    EXPECT_FALSE(window.vA4->isChecked());
}

// The value boxes are drawn more cheaply than the other text boxes; a value
// must look the same in them, in the window's own font.
TEST_F(Window, ValueBoxesShowValuesAsAnyTextBoxDoes)
{
    QLineEdit plain(&window);
    plain.setGeometry(window.vA0->geometry());
    plain.setReadOnly(true);
    plain.setStyle(window.vA0->style());
    EXPECT_EQ(window.vA0->font().family(), window.font().family());
    EXPECT_EQ(window.vA0->font().pointSizeF(), window.font().pointSizeF());
    for (const char *value : {"0", "512", "1023", "-3", "12.5", "70000"}) {
        window.vA0->setText(value);
        plain.setText(value);
        EXPECT_EQ(window.vA0->grab().toImage(), plain.grab().toImage()) << value;
    }
}

TEST_F(Window, EveryButtonAndCheckBoxCaptionFitsInsideItsControl)
{
    window.show();
    const QList<QAbstractButton *> controls = window.findChildren<QAbstractButton *>();
    ASSERT_EQ(controls.size(), 4);
    for (QAbstractButton *control : controls) {
        EXPECT_LE(widthNeeded(*control), control->width()) << control->objectName().toStdString() << " at "
                                                           << control->devicePixelRatioF() << " device pixels a pixel";
    }
}

TEST_F(Window, TabsThroughTheControlsInTheTablesOrder)
{
    QStringList order;
    QWidget *widget = window.Exit;
    do {
        if (widget->focusPolicy() & Qt::TabFocus)
            order.append(widget->objectName());
        widget = widget->nextInFocusChain();
    } while (widget != window.Exit);
    EXPECT_EQ(order, QStringList({"Exit", "bResultado", "Info", "Bconsola", "vA0", "vA1", "vA2", "vA3", "vA4", "vA5",
                                  "Command1"}));
}
