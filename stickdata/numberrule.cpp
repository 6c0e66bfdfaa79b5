#include "stickdata/numberrule.h"

#include <algorithm>
#include <array>
#include <limits>
#include <string_view>

namespace {

constexpr int64_t kInt16Min = std::numeric_limits<int16_t>::min();
constexpr int64_t kInt16Max = std::numeric_limits<int16_t>::max();

// Exponents are capped here: far beyond any shift that still leaves a
// 16-bit value, and far below where 64-bit arithmetic could overflow.
constexpr int64_t kExponentLimit = 1'000'000'000'000'000;

// Walks the text one character at a time, passing over the characters that
// do not count: spaces, tabs and line feeds.
class Reader {
public:
    explicit Reader(QStringView text)
        : text_(text)
    {
        skipIgnored();
    }

    // The current character, or NUL at the end of the text.
    char16_t peek() const { return pos_ < text_.size() ? text_[pos_].unicode() : u'\0'; }

    void next()
    {
        ++pos_;
        skipIgnored();
    }

    // Consumes the current character if it is one of `choices`.
    bool take(std::u16string_view choices)
    {
        if (pos_ >= text_.size() || choices.find(peek()) == std::u16string_view::npos)
            return false;
        next();
        return true;
    }

private:
    void skipIgnored()
    {
        while (pos_ < text_.size() && isIgnored(text_[pos_].unicode()))
            ++pos_;
    }

    static bool isIgnored(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n'; }

    QStringView text_;
    qsizetype pos_ = 0;
};

// The value of `c` as a digit in `radix`, or -1 if it is none.
int digitValue(char16_t c, int radix)
{
    int value = -1;
    if (c >= u'0' && c <= u'9')
        value = c - u'0';
    else if (c >= u'a' && c <= u'z')
        value = c - u'a' + 10;
    else if (c >= u'A' && c <= u'Z')
        value = c - u'A' + 10;
    return value < radix ? value : -1;
}

// An &H or &O integer. Up to 16 bits (FFFF, 177777) the digits are read as
// a 16-bit two's-complement literal, as BASIC reads them (&HFFFF is -1,
// &H8000 is -32768); wider values saturate to 32767.
int16_t readRadixInteger(Reader &reader, int radix)
{
    constexpr uint32_t kWiderThan16Bits = 0x10000;
    uint32_t value = 0;
    for (int digit; (digit = digitValue(reader.peek(), radix)) >= 0; reader.next())
        value = std::min<uint32_t>(value * uint32_t(radix) + uint32_t(digit), kWiderThan16Bits);
    if (value >= kWiderThan16Bits)
        return kInt16Max;
    return static_cast<int16_t>(static_cast<uint16_t>(value));
}

// A decimal magnitude written as 0.D1D2D3... x 10^pointShift, D1 being its
// first non-zero digit. A 16-bit result needs at most five integer digits and
// the digit after them; of all later digits it only matters whether any of
// them is non-zero.
class DecimalDigits {
public:
    void addIntegerDigit(int digit)
    {
        if (count_ == 0 && digit == 0)
            return;
        add(digit);
        ++pointShift_;
    }

    void addFractionDigit(int digit)
    {
        if (count_ == 0 && digit == 0) {
            --pointShift_;
            return;
        }
        add(digit);
    }

    void shiftPoint(int64_t exponent) { pointShift_ += exponent; }

    // The magnitude rounded half to even. Anything with more than five
    // integer digits comes back as 100000, which saturates either way.
    int64_t rounded() const
    {
        constexpr int64_t kMaxIntegerDigits = 5;
        constexpr int64_t kBeyondInt16 = 100'000;
        if (count_ == 0 || pointShift_ < 0)
            return 0;
        if (pointShift_ > kMaxIntegerDigits)
            return kBeyondInt16;
        int64_t integer = 0;
        for (int64_t i = 0; i < pointShift_; ++i)
            integer = integer * 10 + digitAt(i);
        const int firstDropped = digitAt(pointShift_);
        const bool nonZeroAfterIt = lastNonZero_ > pointShift_;
        if (firstDropped > 5 || (firstDropped == 5 && (nonZeroAfterIt || integer % 2 == 1)))
            ++integer;
        return integer;
    }

private:
    static constexpr int kKept = 6;

    void add(int digit)
    {
        if (count_ < kKept)
            leading_[size_t(count_)] = digit;
        if (digit != 0)
            lastNonZero_ = count_;
        ++count_;
    }

    int digitAt(int64_t index) const { return index < std::min<int64_t>(count_, kKept) ? leading_[size_t(index)] : 0; }

    std::array<int, kKept> leading_{};
    int64_t count_ = 0;
    int64_t lastNonZero_ = -1;
    int64_t pointShift_ = 0;
};

bool takeSign(Reader &reader)
{
    if (reader.take(u"-"))
        return true;
    reader.take(u"+");
    return false;
}

DecimalDigits readMantissa(Reader &reader)
{
    DecimalDigits digits;
    for (int digit; (digit = digitValue(reader.peek(), 10)) >= 0; reader.next())
        digits.addIntegerDigit(digit);
    if (reader.take(u"."))
        for (int digit; (digit = digitValue(reader.peek(), 10)) >= 0; reader.next())
            digits.addFractionDigit(digit);
    return digits;
}

// The exponent after E or D; 0 when there is none. A letter without digits
// adds nothing, so it needs no backing up.
int64_t readExponent(Reader &reader)
{
    if (!reader.take(u"eEdD"))
        return 0;
    const bool negative = takeSign(reader);
    int64_t exponent = 0;
    for (int digit; (digit = digitValue(reader.peek(), 10)) >= 0; reader.next())
        exponent = std::min(exponent * 10 + digit, kExponentLimit);
    return negative ? -exponent : exponent;
}

int16_t readDecimal(Reader &reader)
{
    const bool negative = takeSign(reader);
    DecimalDigits digits = readMantissa(reader);
    digits.shiftPoint(readExponent(reader));
    const int64_t magnitude = digits.rounded();
    return static_cast<int16_t>(std::clamp(negative ? -magnitude : magnitude, kInt16Min, kInt16Max));
}

} // namespace

int16_t leadingNumberToInt16(QStringView text)
{
    Reader reader(text);
    if (!reader.take(u"&"))
        return readDecimal(reader);
    if (reader.take(u"hH"))
        return readRadixInteger(reader, 16);
    if (reader.take(u"oO"))
        return readRadixInteger(reader, 8);
    return 0;
}
