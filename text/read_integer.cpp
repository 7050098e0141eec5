#include "text/read_integer.h"

namespace {

// The handset's rule on a Japanese system also skips the ideographic space
// (Shift-JIS 0x81 0x40), which a Japanese keyboard types as readily as a blank.
const wchar_t kIdeographicSpace = 0x3000;

bool IsIntegerSpace(wchar_t c) {
  return c == L' ' || c == L'\t' || c == L'\n' || c == L'\v' || c == L'\f' || c == L'\r' ||
         c == kIdeographicSpace;
}

}  // namespace

int ReadInteger(const wchar_t* text, size_t length, int& value) {
  size_t end = 0;
  return ReadInteger(text, length, value, end);
}

int ReadInteger(const wchar_t* text, size_t length, int& value, size_t& end) {
  size_t i = 0;
  while (i < length && IsIntegerSpace(text[i])) ++i;
  bool negative = false;
  if (i < length && (text[i] == L'+' || text[i] == L'-')) {
    negative = text[i] == L'-';
    ++i;
  }
  // The magnitude may reach 2^31 for the negative limit.
  const unsigned int limit = negative ? 2147483648u : 2147483647u;
  unsigned int magnitude = 0;
  int digits = 0;
  for (; i < length && text[i] >= L'0' && text[i] <= L'9'; ++i, ++digits) {
    const unsigned int digit = static_cast<unsigned int>(text[i] - L'0');
    magnitude = magnitude > (limit - digit) / 10 ? limit : magnitude * 10 + digit;
  }
  if (!negative) {
    value = static_cast<int>(magnitude);
  } else if (magnitude == 2147483648u) {
    value = -2147483647 - 1;
  } else {
    value = -static_cast<int>(magnitude);
  }
  end = i;
  return digits;
}
