#include "trace/hex_text.h"

namespace {

const char kHexDigits[] = "0123456789abcdef";

// The digit's value, or -1 for a character that is none.
int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

void AppendHexText(const std::string& bytes, std::string& hex) {
  hex.reserve(hex.size() + bytes.size() * 2);
  for (std::string::size_type i = 0; i < bytes.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(bytes[i]);
    hex += kHexDigits[byte >> 4];
    hex += kHexDigits[byte & 0xF];
  }
}

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
