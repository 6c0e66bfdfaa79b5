#include "stickdata/interpreter.h"

#include <QString>

#include <gtest/gtest.h>

#include <ostream>
#include <utility>

// What a line says, in failure messages; found by argument-dependent
// lookup, so they live in the namespace of the types they print.
static void PrintTo(const KeywordLine &, std::ostream *out)
{
    *out << "keyword line";
}

static void PrintTo(const AxisLine &axis, std::ostream *out)
{
    *out << "axis " << axis.channel << " \"" << axis.text.toString().toStdString() << "\" = " << axis.value;
}

static void PrintTo(const ButtonLine &button, std::ostream *out)
{
    *out << "button " << button.channel << (button.pressed ? " pressed" : " released")
         << (button.closesReport ? ", closes the report" : "");
}

namespace {

TEST(Interpreter, AKeywordAnywhereMakesAKeywordLineWhateverElseItHolds)
{
    const QString longLine = QString(40'000, u'x') + QStringLiteral("JOYSTICK");
    for (QStringView line : {QStringView(u"JOYSTICK"), QStringView(u"board JOYSTICK v2"), QStringView(u"A0 5 JOYSTICK"),
                             QStringView(u"A5 0JOYSTICK"), QStringView(longLine)})
        EXPECT_EQ(analizarIN(line), LineMeaning(KeywordLine{})) << line.left(20).toString().toStdString();

    for (QStringView line : {QStringView(u"joystick"), QStringView(u"JOYSTIC K")})
        EXPECT_EQ(analizarIN(line), LineMeaning()) << line.toString().toStdString();
}

TEST(Interpreter, AnAxisLineCarriesItsValueFieldAsReceivedAndItsLeadingNumber)
{
    const std::pair<QStringView, AxisLine> cases[] = {
        // Each tag its channel; the number is the number rule's.
        {u"A0 512", {0, u"512", 512}}, {u"A1 12.5", {1, u"12.5", 12}}, {u"A2 -3", {2, u"-3", -3}},
        {u"A3 7x", {3, u"7x", 7}},     {u"A0  512", {0, u"", 0}},      {u"A1 7 8", {1, u"7", 7}},
    };
    for (const auto &[line, expected] : cases)
        EXPECT_EQ(analizarIN(line), LineMeaning(expected)) << line.toString().toStdString();
}

TEST(Interpreter, AButtonIsPressedOnlyByExactlyZeroTheLeftOneClosesTheReportAndAnUnknownLineSaysNothing)
{
    const std::pair<QStringView, ButtonLine> cases[] = {
        {u"A4 0", {4, true, false}},  {u"A5 0", {5, true, true}},    {u"A4 0 1", {4, true, false}},
        {u"A4 1", {4, false, false}}, {u"A5 1", {5, false, true}},   {u"A4 00", {4, false, false}},
        {u"A5 ", {5, false, true}},   {u"A4  0", {4, false, false}}, {u"A5 0.0", {5, false, true}},
    };
    for (const auto &[line, expected] : cases)
        EXPECT_EQ(analizarIN(line), LineMeaning(expected)) << line.toString().toStdString();

    for (QStringView line : {QStringView(), QStringView(u"A0"), QStringView(u"A5"), QStringView(u"A6 5"),
                             QStringView(u"a0 5"), QStringView(u" A0 5"), QStringView(u"A0\t5"), QStringView(u"A05")})
        EXPECT_EQ(analizarIN(line), LineMeaning()) << line.toString().toStdString();
}

} // namespace
