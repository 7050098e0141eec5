#include "check/display_text.h"

#include <cstdio>

#include "simulator/quoted_text.h"
#include "simulator/text_encoding.h"

namespace {

// The wide and full-width ranges of Unicode's East Asian Width property,
// merged where only unassigned code points lie between them.
const struct {
  unsigned long first;
  unsigned long last;
} kWideRanges[] = {
    {0x1100, 0x115F},   {0x231A, 0x231B},   {0x2329, 0x232A},   {0x2E80, 0x303E},
    {0x3041, 0x33FF},   {0x3400, 0x4DBF},   {0x4E00, 0x9FFF},   {0xA000, 0xA4CF},
    {0xA960, 0xA97F},   {0xAC00, 0xD7A3},   {0xF900, 0xFAFF},   {0xFE10, 0xFE19},
    {0xFE30, 0xFE6F},   {0xFF00, 0xFF60},   {0xFFE0, 0xFFE6},   {0x1F300, 0x1F64F},
    {0x1F900, 0x1F9FF}, {0x20000, 0x2FFFD}, {0x30000, 0x3FFFD},
};

bool IsWide(unsigned long code) {
  for (const auto& range : kWideRanges) {
    if (code >= range.first && code <= range.last) return true;
  }
  return false;
}

}  // namespace

std::size_t DisplayWidth(std::string_view utf8) {
  std::wstring text;
  Utf8ToWide(utf8, text);
  std::size_t width = 0;
  for (wchar_t c : text) width += IsWide(static_cast<unsigned long>(c)) ? 2 : 1;
  return width;
}

std::string PadToWidth(const std::string& utf8, std::size_t columns) {
  const std::size_t width = DisplayWidth(utf8);
  return utf8 + std::string(columns > width ? columns - width : 0, ' ');
}

std::string DisplayText(std::string_view text) { return QuotedText(text, kReadableQuoting); }

std::string DisplayTextIn(ReportLanguage language, std::string_view text) {
  if (language != kJapanese) return DisplayText(text);
  std::string shown = "「";
  for (std::string_view::size_type at = 0; at < text.size(); ++at) {
    const unsigned char byte = static_cast<unsigned char>(text[at]);
    if (byte < 0x20 || byte == 0x7f) {
      const std::string escaped = QuotedText(text.substr(at, 1), kReadableQuoting);
      shown += escaped.substr(1, escaped.size() - 2);
    } else {
      shown += text[at];
    }
  }
  return shown + "」";
}

std::string DegreesText(const GeoPosition& position) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f, %.6f", position.latitude, position.longitude);
  return text;
}
