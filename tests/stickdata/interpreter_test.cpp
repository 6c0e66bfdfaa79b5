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

// Each case starts from a known state; the line must change its own box
// and field and nothing else.
TEST_F(Interpreter, AxisShowsFieldOneAsReceivedAndStoresItsNumber)
{
    struct Case {
        const char *line;
        QLineEdit *const ventana::*box;
        int16_t ventana::*value;
        const char *shown;
        int16_t stored;
    };
    const Case cases[] = {
        {"A0 512", &ventana::vA0, &ventana::iA0, "512", 512},
        {"A1 512", &ventana::vA1, &ventana::iA1, "512", 512},
        {"A2 512", &ventana::vA2, &ventana::iA2, "512", 512},
        {"A3 512", &ventana::vA3, &ventana::iA3, "512", 512},
        {"A1  512", &ventana::vA1, &ventana::iA1, "", 0},
        {"A1 12.5", &ventana::vA1, &ventana::iA1, "12.5", 12},
        {"A1 x7", &ventana::vA1, &ventana::iA1, "x7", 0},
        {"A1 7 8", &ventana::vA1, &ventana::iA1, "7", 7},
        {"A1 70000", &ventana::vA1, &ventana::iA1, "70000", 32767},
        {"A1 -70000", &ventana::vA1, &ventana::iA1, "-70000", -32768},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.line);
        (window.*c.box)->setText(QStringLiteral("99"));
        window.*c.value = 99;
        const WindowState before = capture(window);
        window.analizarIN(QLatin1StringView(c.line));
        EXPECT_EQ((window.*c.box)->text(), QLatin1StringView(c.shown));
        EXPECT_EQ(window.*c.value, c.stored);
        (window.*c.box)->setText(QStringLiteral("99"));
        window.*c.value = 99;
        EXPECT_TRUE(capture(window) == before) << "another control changed or a stick was drawn";
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
