#include "stickdata/numberrule.h"

#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <random>

namespace {

TEST(NumberRule, ConvertsTheLeadingNumberOfShortTextsAndOfVeryLongDigitStrings)
{
    struct Case {
        const char16_t *text;
        int16_t expected;
    };
    const Case cases[] = {
        // Half to even, in both directions and past long fractions.
        {u"12.5", 12},
        {u"13.5", 14},
        {u"2.5", 2},
        {u"-2.5", -2},
        {u"-3.5", -4},
        {u"1.5", 2},
        {u".5", 0},
        {u"0.51", 1},
        {u"12344.5", 12344},
        {u"12345.6", 12346},
        {u"2.50000000000000000000000001", 3},
        // Leading part only.
        {u"", 0},
        {u"-3", -3},
        {u"+7", 7},
        {u"7x", 7},
        {u"x7", 0},
        {u"-", 0},
        {u"1.2.3", 1},
        {u"--5", 0},
        {u"7\r", 7},
        {u"\r7", 0},
        // Spaces, tabs and line feeds anywhere; no other blanks.
        {u" 1 2 3", 123},
        {u"\t-\n4", -4},
        {u"1 E 2", 100},
        {u"& H 1F", 31},
        {u"\v5", 0},
        // Exponents.
        {u"1E2", 100},
        {u"1D2", 100},
        {u"1e2", 100},
        {u"1d2", 100},
        {u"25E-1", 2},
        {u"35e-1", 4},
        {u"1E", 1},
        {u"1E+", 1},
        {u"E5", 0},
        {u"0.000123E5", 12},
        {u"1E-99999999999999999999", 0},
        // 16-bit literals; wider ones saturate. The prefix comes first.
        {u"&H1F", 31},
        {u"&h1f", 31},
        {u"&O17", 15},
        {u"&o17", 15},
        {u"&H8000", -32768},
        {u"&HFFFF", -1},
        {u"&H0000FFFF", -1},
        {u"&H10000", 32767},
        {u"&O177777", -1},
        {u"&O200000", 32767},
        {u"&O18", 1},
        {u"&H", 0},
        {u"&X1", 0},
        {u"-&H1", 0},
        // Saturation.
        {u"32767.5", 32767},
        {u"32768", 32767},
        {u"-32768.5", -32768},
        {u"-32769", -32768},
        {u"1E999", 32767},
        {u"-1E999", -32768},
        {u"1D99999999999999999999", 32767},
        {u"0.00000000001E20", 32767},
    };
    for (const Case &c : cases)
        EXPECT_EQ(leadingNumberToInt16(QStringView(c.text)), c.expected)
            << "text: \"" << QString::fromUtf16(c.text).toStdString() << '"';

    const QString zeros(100'000, u'0');
    const QString nines(100'000, u'9');
    EXPECT_EQ(leadingNumberToInt16(zeros + QStringLiteral("42")), 42);
    EXPECT_EQ(leadingNumberToInt16(QStringLiteral("-") + nines), -32768);
    EXPECT_EQ(leadingNumberToInt16(QStringLiteral("0.") + zeros + QStringLiteral("1E100002")), 10);
    EXPECT_EQ(leadingNumberToInt16(QStringLiteral("2.5") + zeros + QStringLiteral("1")), 3);
}

// Short decimal texts against the nearest double rounded half to even: with
// at most nine significant digits no text that misses a tie lands on one.
TEST(NumberRule, AgreesWithDoubleRoundingOnRandomDecimals)
{
    std::mt19937 random(20240611);
    auto digits = [&](int count) {
        QString text;
        for (int i = 0; i < count; ++i)
            text += QChar(u'0' + int(random() % 10));
        return text;
    };
    for (int i = 0; i < 5000; ++i) {
        QString text = (random() % 2) ? QStringLiteral("-") : QString();
        text += digits(int(random() % 6));
        if (random() % 2)
            text += u'.' + digits(int(random() % 5));
        if (random() % 3 == 0)
            text += QStringLiteral("E%1").arg(int(random() % 13) - 6);
        const QByteArray latin1 = text.toLatin1();
        double parsed = 0;
        std::from_chars(latin1.constData(), latin1.constData() + latin1.size(), parsed);
        const auto expected = int16_t(std::clamp(std::nearbyint(parsed), -32768.0, 32767.0));
        ASSERT_EQ(leadingNumberToInt16(text), expected) << "text: " << text.toStdString();
    }
}

} // namespace
