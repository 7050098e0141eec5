#include "simulator/cp932_readings.h"

#include <cstdio>
#include <string_view>

#include "simulator/text_encoding.h"

namespace {

void AppendHex(unsigned int value, int digits, std::string& out) {
  char text[16];
  std::snprintf(text, sizeof text, "%0*X", digits, value);
  out += text;
}

void AppendBytes(std::string_view bytes, std::string& out) {
  for (char byte : bytes) AppendHex(static_cast<unsigned char>(byte), 2, out);
}

void AppendReading(const std::string& bytes, std::string& out) {
  const std::wstring text = Cp932ToWide(bytes);
  AppendBytes(bytes, out);
  out += ' ';
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (i > 0) out += '+';
    AppendHex(static_cast<unsigned int>(text[i]), 4, out);
  }
  out += ' ';
  AppendBytes(WideToCp932(text), out);
  out += '\n';
}

}  // namespace

std::string ListCp932Readings() {
  std::string out;
  for (unsigned int byte = 0; byte <= 0xFF; ++byte) {
    AppendReading(std::string(1, static_cast<char>(byte)), out);
  }
  for (unsigned int lead = 0x81; lead <= 0xFC; ++lead) {
    for (unsigned int trail = 0x40;
         IsCp932LeadByte(static_cast<unsigned char>(lead)) && trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const char pair[] = {static_cast<char>(lead), static_cast<char>(trail)};
      AppendReading(std::string(pair, 2), out);
    }
  }
  return out;
}
