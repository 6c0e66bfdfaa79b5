// Any text, from the bytes read both as Latin-1 and as UTF-16, through the
// rule that turns a channel's text into its 16-bit value.

#include "fuzzcheck.h"

#include "stickdata/numberrule.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string>

namespace {

constexpr int kInt16Max = std::numeric_limits<int16_t>::max();
constexpr int kInt16Min = std::numeric_limits<int16_t>::min();

bool isIgnored(QChar c)
{
    return c == u' ' || c == u'\t' || c == u'\n';
}

bool isDigit(QChar c)
{
    return c >= u'0' && c <= u'9';
}

bool isHexDigit(QChar c)
{
    return isDigit(c) || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
}

QString withoutIgnored(const QString &text)
{
    QString kept;
    for (QChar c : text)
        if (!isIgnored(c))
            kept += c;
    return kept;
}

QString withIgnoredBetweenCharacters(const QString &text)
{
    static const QString kIgnored = QStringLiteral(" \t\n");
    QString spread;
    for (qsizetype i = 0; i < text.size(); ++i) {
        spread += text[i];
        spread += kIgnored[i % kIgnored.size()];
    }
    return spread;
}

// A cursor over text that has no ignored characters left.
struct Scan {
    const QString &text;
    qsizetype pos = 0;

    bool atEnd() const { return pos == text.size(); }
    bool take(char16_t a, char16_t b = 0)
    {
        if (atEnd() || (text[pos] != a && (b == 0 || text[pos] != b)))
            return false;
        ++pos;
        return true;
    }
    qsizetype skip(bool (*matches)(QChar))
    {
        const qsizetype from = pos;
        while (!atEnd() && matches(text[pos]))
            ++pos;
        return pos - from;
    }
};

// &H with hexadecimal digits and nothing else: the digits as a 16-bit
// two's-complement literal, or 32767 when they are wider than 16 bits.
std::optional<int> referenceRadixValue(const QString &text)
{
    Scan scan{text};
    if (!scan.take(u'&') || !scan.take(u'h', u'H'))
        return std::nullopt;
    scan.skip(isHexDigit);
    if (!scan.atEnd())
        return std::nullopt;
    const std::string digits = text.mid(2).toStdString();
    const unsigned long value = digits.empty() ? 0 : std::strtoul(digits.c_str(), nullptr, 16);
    return value > 0xFFFF ? kInt16Max : int(int16_t(uint16_t(value)));
}

// A complete decimal number with at most 15 significant digits and a short
// exponent. A double holds its value closely enough for rounding to the
// nearest integer, half to even, to come out right.
std::optional<int> referenceDecimalValue(const QString &text)
{
    constexpr qsizetype kExactDigits = 15;
    constexpr qsizetype kShortExponent = 3;
    Scan scan{text};
    scan.take(u'+', u'-');
    qsizetype digits = scan.skip(isDigit);
    if (scan.take(u'.'))
        digits += scan.skip(isDigit);
    if (scan.take(u'e', u'E') || scan.take(u'd', u'D')) {
        scan.take(u'+', u'-');
        const qsizetype exponentDigits = scan.skip(isDigit);
        if (exponentDigits == 0 || exponentDigits > kShortExponent)
            return std::nullopt;
    }
    if (!scan.atEnd() || digits > kExactDigits)
        return std::nullopt;
    if (digits == 0)
        return 0;
    std::string number = text.toStdString();
    std::replace(number.begin(), number.end(), 'd', 'e');
    std::replace(number.begin(), number.end(), 'D', 'e');
    const double value = std::nearbyint(std::strtod(number.c_str(), nullptr));
    return int(std::clamp(value, double(kInt16Min), double(kInt16Max)));
}

bool startsUnsigned(const QString &compact)
{
    return !compact.isEmpty() && (isDigit(compact[0]) || compact[0] == u'.');
}

// A minus sign before an unsigned number negates it, except where the
// positive side saturated: -32768 fits although 32768 does not.
void checkNegation(const QString &compact, int value)
{
    if (!startsUnsigned(compact))
        return;
    const int negated = leadingNumberToInt16(QString(u'-' + compact));
    fuzzCheck(value == kInt16Max ? negated <= -kInt16Max : negated == -value, "a minus sign negates the value");
}

void checkNumberRule(const QString &text)
{
    const int value = leadingNumberToInt16(text);
    const QString compact = withoutIgnored(text);
    fuzzCheck(leadingNumberToInt16(compact) == value, "removing spaces, tabs and line feeds keeps the value");
    fuzzCheck(leadingNumberToInt16(withIgnoredBetweenCharacters(text)) == value,
              "inserting spaces, tabs and line feeds keeps the value");
    fuzzCheck(leadingNumberToInt16(QString(text + u';' + text)) == value,
              "what follows a character that fits no number does not count");
    checkNegation(compact, value);
    if (const std::optional<int> expected = referenceRadixValue(compact))
        fuzzCheck(value == *expected, "an &H number has its two's-complement value");
    if (const std::optional<int> expected = referenceDecimalValue(compact))
        fuzzCheck(value == *expected, "a decimal number rounds half to even and saturates");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    checkNumberRule(latin1Text(data, size));
    checkNumberRule(utf16Text(data, size));
    return 0;
}
