#include "text/read_integer.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace {

struct IntegerCase {
  std::wstring text;
  int value;
  int digits;
};

TEST(ReadInteger, FollowsTheWideStringToIntegerRule) {
  const IntegerCase cases[] = {
      {L"12", 12, 2},
      {L" \t12", 12, 2},
      {L"\v\f12", 12, 2},
      // The ideographic space, which a Japanese keyboard types readily.
      {L"\u3000500", 500, 3},
      {L"-7", -7, 1},
      {L"+5", 5, 1},
      {L"5 wait", 5, 1},
      {L"22.45", 22, 2},
      {L"500\n", 500, 3},
      {L"007", 7, 3},
      {L"abc", 0, 0},
      {L"\n", 0, 0},
      {L"", 0, 0},
      {L"- 5", 0, 0},
      {L"--5", 0, 0},
      {L"2147483646", INT_MAX - 1, 10},
      {L"-2147483647", INT_MIN + 1, 10},
      {L"2147483647", INT_MAX, 10},
      {L"-2147483648", INT_MIN, 10},
      // Overflow saturates instead of wrapping.
      {L"2147483648", INT_MAX, 10},
      {L"99999999999999999999", INT_MAX, 20},
      {L"-2147483649", INT_MIN, 10},
  };
  for (const IntegerCase& c : cases) {
    int value = 12345;
    EXPECT_EQ(ReadInteger(c.text.c_str(), c.text.size(), value), c.digits);
    EXPECT_EQ(value, c.value) << std::string(c.text.begin(), c.text.end());
  }
}

TEST(ReadInteger, StopsAtTheGivenLength) {
  const wchar_t text[] = L"12345";
  int value = 0;
  EXPECT_EQ(ReadInteger(text, 2, value), 2);
  EXPECT_EQ(value, 12);
  EXPECT_EQ(ReadInteger(text, 0, value), 0);
  EXPECT_EQ(value, 0);
}

}  // namespace
