#include "replay/hex_decoding.h"

namespace {

// The digit's value, or -1 for a character that is none.
int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

int DecodeHexText(const char* hex, size_t length, std::string& bytes) {
  if (length % 2 != 0) return 0;
  for (size_t i = 0; i < length; ++i) {
    if (HexDigitValue(hex[i]) < 0) return 0;
  }
  bytes.reserve(bytes.size() + length / 2);
  for (size_t pair = 0; pair < length; pair += 2) {
    bytes += static_cast<char>(HexDigitValue(hex[pair]) * 16 + HexDigitValue(hex[pair + 1]));
  }
  return 1;
}
