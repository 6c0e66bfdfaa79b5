#include "interpreterfixture.h"

#include <QImage>

#include <array>
#include <utility>

namespace {

// Everything a device line can change.
struct WindowState {
    uint8_t portok;
    std::array<int16_t, 4> values;
    std::array<QString, 4> texts;
    std::array<bool, 2> buttons;
    QImage left;
    QImage right;

    bool operator==(const WindowState &) const = default;
};

WindowState capture(const ventana &w)
{
    return {w.portok,
            {w.iA0, w.iA1, w.iA2, w.iA3},
            {w.vA0->text(), w.vA1->text(), w.vA2->text(), w.vA3->text()},
            {w.vA4->isChecked(), w.vA5->isChecked()},
            w.Picture1->drawing(),
            w.Picture2->drawing()};
}

using Interpreter = InterpreterFixture;

TEST_F(Interpreter, KeywordLineOnlyMarksTheBoardFound)
{
    feed({QStringLiteral("joystick"), QStringLiteral("JOYSTIC K")});
    EXPECT_EQ(window.portok, 0);

    const QString keywordLines[] = {
        QStringLiteral("board JOYSTICK v2"),
        QStringLiteral("A0 5 JOYSTICK"),
        QStringLiteral("A5 0JOYSTICK"),
        QString(40'000, u'x') + QStringLiteral("JOYSTICK"),
    };
    for (const QString &line : keywordLines) {
        SCOPED_TRACE(line.left(20).toStdString());
        window.portok = 0;
        WindowState expected = capture(window);
        expected.portok = 1;
        window.analizarIN(line);
        EXPECT_TRUE(capture(window) == expected);
    }
}

TEST_F(Interpreter, EachAxisTagFillsOnlyItsOwnBoxAndField)
{
    const std::array<std::pair<QLineEdit *const ventana::*, int16_t ventana::*>, 4> axes{{
        {&ventana::vA0, &ventana::iA0},
        {&ventana::vA1, &ventana::iA1},
        {&ventana::vA2, &ventana::iA2},
        {&ventana::vA3, &ventana::iA3},
    }};
    for (int n = 0; n < 4; ++n) {
        const auto [box, value] = axes[n];
        const WindowState before = capture(window);
        window.analizarIN(QStringLiteral("A%1 512").arg(n));
        EXPECT_EQ((window.*box)->text(), QStringLiteral("512")) << "A" << n;
        EXPECT_EQ(window.*value, 512) << "A" << n;
        (window.*box)->setText(QStringLiteral("Text1"));
        window.*value = 0;
        EXPECT_TRUE(capture(window) == before) << "A" << n << " changed another control or drew";
    }
}

TEST_F(Interpreter, AxisShowsFieldOneAsReceivedAndStoresItsNumber)
{
    struct Case {
        const char *line;
        const char *shown;
        int16_t stored;
    };
    const Case cases[] = {
        {"A1  512", "", 0}, {"A1 12.5", "12.5", 12}, {"A1 x7", "x7", 0},
        {"A1 7 8", "7", 7}, {"A1 70000", "70000", 32767}, {"A1 -70000", "-70000", -32768},
    };
    for (const Case &c : cases) {
        window.analizarIN(QStringLiteral("A1 99"));
        window.analizarIN(QLatin1StringView(c.line));
        EXPECT_EQ(window.vA1->text(), QLatin1StringView(c.shown)) << c.line;
        EXPECT_EQ(window.iA1, c.stored) << c.line;
    }
}

TEST_F(Interpreter, ButtonIsCheckedOnlyByExactlyZero)
{
    const std::pair<const char *, bool> values[] = {
        {"0", true}, {"00", false}, {"1", false}, {"", false}, {" 0", false}, {"0 1", true},
    };
    for (auto [tag, box] : {std::pair{"A4 ", &ventana::vA4}, std::pair{"A5 ", &ventana::vA5}}) {
        for (const auto &[value, checked] : values) {
            const QString line = QLatin1StringView(tag) + QLatin1StringView(value);
            (window.*box)->setChecked(!checked);
            window.analizarIN(line);
            EXPECT_EQ((window.*box)->isChecked(), checked) << line.toStdString();
        }
    }
}

TEST_F(Interpreter, LinesThatAreNoTagLinesChangeNothing)
{
    feed({QStringLiteral("A0 100"), QStringLiteral("A3 -7"), QStringLiteral("A4 0")});
    const WindowState before = capture(window);
    const QStringList ignored{
        QString(),
        QStringLiteral("A0"),
        QStringLiteral("A5"),
        QStringLiteral("A6 5"),
        QStringLiteral("a0 5"),
        QStringLiteral(" A0 5"),
        QStringLiteral("A0\t5"),
    };
    for (const QString &line : ignored) {
        window.analizarIN(line);
        EXPECT_TRUE(capture(window) == before) << line.toStdString();
    }
}

} // namespace
