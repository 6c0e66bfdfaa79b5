#pragma once

#include <QStringView>

#include <cstdint>

// The integer value of a channel's text: its leading number, rounded to the
// nearest integer (an exact half to the even neighbour) and saturated to the
// 16-bit signed range.
//
// Spaces, tabs and line feeds are ignored wherever they stand. The number is
// an optional sign, decimal digits with an optional point and fraction, and an
// optional exponent (E or D in either case, optional sign, digits); or, at the
// start, &H followed by hexadecimal or &O followed by octal digits. Reading
// stops at the first character that does not fit; a text without a leading
// number is worth 0.
int16_t leadingNumberToInt16(QStringView text);
