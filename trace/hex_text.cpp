#include "trace/hex_text.h"

void AppendHexText(const std::string& bytes, std::string& hex) {
  static const char kHexDigits[] = "0123456789abcdef";
  hex.reserve(hex.size() + bytes.size() * 2);
  for (std::string::size_type i = 0; i < bytes.size(); ++i) {
    const unsigned char byte = static_cast<unsigned char>(bytes[i]);
    hex += kHexDigits[byte >> 4];
    hex += kHexDigits[byte & 0xF];
  }
}
