#include "mapctl/fixed_decimal.h"

#include <float.h>
#include <math.h>

namespace {

// The largest finite double has 309 integer digits; one more for a carry
// out of the rounding, and some room to spare.
const int kIntegerCapacity = 320;
// One digit beyond the six kept decides the rounding, with `sticky` telling
// whether anything non-zero lies further right.
const int kFractionDigits = kFixedDecimals + 1;
const int kMantissaBits = 53;
// Powers of two are applied at most 2^16 at a time, so that a digit times
// the power, plus the carry, stays far inside 32 bits.
const int kShiftStep = 16;

// A non-negative decimal number: integer digits least significant first,
// fraction digits most significant first.
struct DecimalDigits {
  unsigned int integer[kIntegerCapacity];
  int integerCount;
  unsigned int fraction[kFractionDigits];
  bool sticky;
};

void MultiplyByPowerOfTwo(DecimalDigits& number, int shift) {
  unsigned int carry = 0;
  for (int i = 0; i < number.integerCount; ++i) {
    const unsigned int product = (number.integer[i] << shift) + carry;
    number.integer[i] = product % 10;
    carry = product / 10;
  }
  while (carry != 0 && number.integerCount < kIntegerCapacity) {
    number.integer[number.integerCount++] = carry % 10;
    carry /= 10;
  }
}

void DivideByPowerOfTwo(DecimalDigits& number, int shift) {
  const unsigned int mask = (1u << shift) - 1;
  unsigned int remainder = 0;
  for (int i = number.integerCount - 1; i >= 0; --i) {
    const unsigned int current = remainder * 10 + number.integer[i];
    number.integer[i] = current >> shift;
    remainder = current & mask;
  }
  while (number.integerCount > 0 && number.integer[number.integerCount - 1] == 0) {
    --number.integerCount;
  }
  for (int f = 0; f < kFractionDigits; ++f) {
    const unsigned int current = remainder * 10 + number.fraction[f];
    number.fraction[f] = current >> shift;
    remainder = current & mask;
  }
  if (remainder != 0) number.sticky = true;
}

// Adds one unit in the last kept decimal place.
void RoundUp(DecimalDigits& number) {
  for (int i = kFixedDecimals - 1; i >= 0; --i) {
    if (++number.fraction[i] < 10) return;
    number.fraction[i] = 0;
  }
  for (int d = 0; d < number.integerCount; ++d) {
    if (++number.integer[d] < 10) return;
    number.integer[d] = 0;
  }
  if (number.integerCount < kIntegerCapacity) number.integer[number.integerCount++] = 1;
}

// Exact decimal digits of a finite non-negative value: it is an integer
// mantissa of at most 53 bits times a power of two, and both the doubling
// and the halving of a decimal number are exact digit by digit.
void ExactDigits(double magnitude, DecimalDigits& number) {
  number.integerCount = 0;
  for (int i = 0; i < kFractionDigits; ++i) number.fraction[i] = 0;
  number.sticky = false;
  int exponent = 0;
  double mantissa = ldexp(frexp(magnitude, &exponent), kMantissaBits);
  exponent -= kMantissaBits;
  while (mantissa != 0) {
    // Both steps are exact for an integer below 2^53.
    const double digit = fmod(mantissa, 10.0);
    number.integer[number.integerCount++] = static_cast<unsigned int>(digit);
    mantissa = (mantissa - digit) / 10;
  }
  while (exponent > 0) {
    const int shift = exponent < kShiftStep ? exponent : kShiftStep;
    MultiplyByPowerOfTwo(number, shift);
    exponent -= shift;
  }
  while (exponent < 0) {
    const int shift = -exponent < kShiftStep ? -exponent : kShiftStep;
    DivideByPowerOfTwo(number, shift);
    exponent += shift;
  }
}

}  // namespace

std::wstring FormatFixedDecimal(double value) {
  std::wstring text;
  if (value != value) return L"nan";  // only a NaN differs from itself
  if (value < 0) text += L'-';
  const double magnitude = value < 0 ? -value : value;
  if (magnitude > DBL_MAX) return text + L"inf";

  DecimalDigits number;
  ExactDigits(magnitude, number);
  const unsigned int next = number.fraction[kFixedDecimals];
  const bool lastIsOdd = (number.fraction[kFixedDecimals - 1] % 2) != 0;
  if (next > 5 || (next == 5 && (number.sticky || lastIsOdd))) RoundUp(number);

  if (number.integerCount == 0) text += L'0';
  for (int i = number.integerCount - 1; i >= 0; --i) {
    text += static_cast<wchar_t>(L'0' + number.integer[i]);
  }
  text += L'.';
  for (int f = 0; f < kFixedDecimals; ++f) {
    text += static_cast<wchar_t>(L'0' + number.fraction[f]);
  }
  return text;
}
