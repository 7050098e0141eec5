#include "simulator/quoted_text.h"

#include <cstdio>

std::string QuotedText(std::string_view text, TextQuoting quoting) {
  std::string quoted = "\"";
  for (const char c : text) {
    const unsigned char byte = static_cast<unsigned char>(c);
    if (c == '"') {
      quoted += "\\\"";
    } else if (c == '\\') {
      quoted += quoting == kExactQuoting ? "\\\\" : "\\";
    } else if (c == '\r') {
      quoted += "\\r";
    } else if (c == '\n') {
      quoted += "\\n";
    } else if (c == '\t') {
      quoted += "\\t";
    } else if (byte < 0x20 || byte == 0x7f) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\x%02X", byte);
      quoted += escape;
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}
