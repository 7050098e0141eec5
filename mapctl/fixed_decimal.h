#ifndef POSRELAY_MAPCTL_FIXED_DECIMAL_H
#define POSRELAY_MAPCTL_FIXED_DECIMAL_H

#include <string>

// Digits after the point in the map's command line.
enum { kFixedDecimals = 6 };

// The value in fixed notation with six decimals and a point, rounded to the
// nearest (ties to even), as "%.6f" prints it in the C locale; only a
// negative zero loses its sign. The digits are worked out here from the exact
// binary value, so neither the locale nor the size of the value can change
// the text: the point is always a point, and even the largest double gives
// all its 309 integer digits.
std::wstring FormatFixedDecimal(double value);

#endif
