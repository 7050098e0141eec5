#include "mapctl/fixed_decimal.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>

#include "simulator/text_encoding.h"

namespace {

// What the C library prints in the C locale, which the tests run in.
std::string Printf6(double value) {
  char text[400];
  std::snprintf(text, sizeof text, "%.6f", value);
  return text;
}

std::string Format(double value) { return WideToUtf8(FormatFixedDecimal(value)); }

TEST(FormatFixedDecimal, WritesSixDecimalsRoundedAsPrintfDoes) {
  ASSERT_STREQ(std::setlocale(LC_NUMERIC, nullptr), "C");
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {35.69266981057444, "35.692670"},
      {139.75012472663002, "139.750125"},
      {0.0, "0.000000"},
      {0.0046017, "0.004602"},
      {1.0, "1.000000"},
      // Exact halves of the sixth decimal go to the even digit.
      {1.0 / 128, "0.007812"},
      {3.0 / 128, "0.023438"},
      {1000000.0 + 1.0 / 128, "1000000.007812"},
      // Just above or below a half is no tie.
      {std::nextafter(1.0 / 128, 1.0), "0.007813"},
      {std::nextafter(3.0 / 128, 0.0), "0.023437"},
      // Rounding carries into the integer digits.
      {9.9999996, "10.000000"},
      {0.9999995000000001, "1.000000"},
      {999999.9999999, "1000000.000000"},
      {4.9e-324, "0.000000"},
      {1e22, "10000000000000000000000.000000"},
      {9007199254740993.0, "9007199254740992.000000"},
      {-2.5, "-2.500000"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Format(c.value), c.text) << Printf6(c.value);
    EXPECT_EQ(Format(c.value), Printf6(c.value));
  }
  EXPECT_EQ(Format(DBL_MAX), Printf6(DBL_MAX));
  EXPECT_EQ(Format(DBL_MAX).size(), 309u + 7u);
}

TEST(FormatFixedDecimal, AgreesWithPrintfAcrossTheDoubles) {
  std::mt19937_64 random(20261207);
  // Anywhere in the positive doubles, bit pattern by bit pattern.
  std::uniform_int_distribution<std::uint64_t> anyBits(0, 0x7fefffffffffffffULL);
  for (int i = 0; i < 20000; ++i) {
    double value;
    const std::uint64_t bits = anyBits(random);
    std::memcpy(&value, &bits, sizeof value);
    ASSERT_EQ(Format(value), Printf6(value)) << bits;
  }
  // Where positions lie, and near every rounding boundary there.
  std::uniform_real_distribution<double> degrees(0.0, 360.0);
  for (int i = 0; i < 100000; ++i) {
    const double value = degrees(random);
    ASSERT_EQ(Format(value), Printf6(value));
    const double boundary = (std::floor(value * 1e6) + 0.5) / 1e6;
    ASSERT_EQ(Format(boundary), Printf6(boundary));
    ASSERT_EQ(Format(std::nextafter(boundary, 0.0)), Printf6(std::nextafter(boundary, 0.0)));
  }
}

TEST(FormatFixedDecimal, SaysWhatIsNotANumber) {
  EXPECT_EQ(Format(HUGE_VAL), "inf");
  EXPECT_EQ(Format(-HUGE_VAL), "-inf");
  EXPECT_EQ(Format(std::nan("")), "nan");
}

}  // namespace
