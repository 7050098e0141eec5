#include "trace/utf8_text.h"

namespace {

const unsigned long kReplacement = 0xFFFD;
const unsigned long kLastCodePoint = 0x10FFFF;

bool IsSurrogate(unsigned long value) { return value >= 0xD800 && value <= 0xDFFF; }

void AppendCodePoint(unsigned long value, std::string& utf8) {
  if (value > kLastCodePoint || IsSurrogate(value)) {
    utf8 += '?';
  } else if (value < 0x80) {
    utf8 += static_cast<char>(value);
  } else if (value < 0x800) {
    utf8 += static_cast<char>(0xC0 | (value >> 6));
    utf8 += static_cast<char>(0x80 | (value & 0x3F));
  } else if (value < 0x10000) {
    utf8 += static_cast<char>(0xE0 | (value >> 12));
    utf8 += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
    utf8 += static_cast<char>(0x80 | (value & 0x3F));
  } else {
    utf8 += static_cast<char>(0xF0 | (value >> 18));
    utf8 += static_cast<char>(0x80 | ((value >> 12) & 0x3F));
    utf8 += static_cast<char>(0x80 | ((value >> 6) & 0x3F));
    utf8 += static_cast<char>(0x80 | (value & 0x3F));
  }
}

// Appends the character that code unit `unit` starts and returns how many
// units it took: two for a UTF-16 surrogate pair when `pairs` is set and
// `next` completes it, one otherwise.
size_t AppendUnit(unsigned long unit, unsigned long next, bool pairs, std::string& utf8) {
  const bool high = unit >= 0xD800 && unit <= 0xDBFF;
  if (pairs && high && next >= 0xDC00 && next <= 0xDFFF) {
    AppendCodePoint(0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00), utf8);
    return 2;
  }
  AppendCodePoint(unit, utf8);
  return 1;
}

void AppendWide(unsigned long value, std::wstring& text) {
  if (value >= 0x10000 && sizeof(wchar_t) == 2) {
    value -= 0x10000;
    text += static_cast<wchar_t>(0xD800 + (value >> 10));
    text += static_cast<wchar_t>(0xDC00 + (value & 0x3FF));
  } else {
    text += static_cast<wchar_t>(value);
  }
}

// The length of the well-formed character that `bytes` start with, with its
// value; 0 when they start with none.
size_t ReadCodePoint(const unsigned char* bytes, size_t left, unsigned long& value) {
  const unsigned char lead = bytes[0];
  size_t length = 0;
  unsigned long least = 0;
  if (lead < 0x80) {
    value = lead;
    return 1;
  }
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    value = lead & 0x1F;
    least = 0x80;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    value = lead & 0x0F;
    least = 0x800;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    value = lead & 0x07;
    least = 0x10000;
  } else {
    return 0;
  }
  if (left < length) return 0;
  for (size_t i = 1; i < length; ++i) {
    if ((bytes[i] & 0xC0) != 0x80) return 0;
    value = (value << 6) | (bytes[i] & 0x3F);
  }
  // Overlong forms, surrogates and values beyond Unicode are not characters.
  if (value < least || value > kLastCodePoint || IsSurrogate(value)) return 0;
  return length;
}

}  // namespace

size_t Utf8CharacterLength(const char* bytes, size_t left) {
  unsigned long value = 0;
  return left == 0 ? 0 : ReadCodePoint(reinterpret_cast<const unsigned char*>(bytes), left, value);
}

void AppendUtf8(const std::wstring& text, std::string& utf8) {
  // Windows' wchar_t holds UTF-16; elsewhere it holds whole code points.
  const bool pairs = sizeof(wchar_t) == 2;
  for (size_t i = 0; i < text.size();) {
    const unsigned long next = i + 1 < text.size() ? static_cast<unsigned long>(text[i + 1]) : 0;
    i += AppendUnit(static_cast<unsigned long>(text[i]), next, pairs, utf8);
  }
}

void AppendUtf16AsUtf8(const unsigned short* units, size_t count, std::string& utf8) {
  for (size_t i = 0; i < count;) {
    i += AppendUnit(units[i], i + 1 < count ? units[i + 1] : 0, true, utf8);
  }
}

int DecodeUtf8(const char* utf8, size_t length, std::wstring& text) {
  const unsigned char* bytes = reinterpret_cast<const unsigned char*>(utf8);
  int wellFormed = 1;
  // Room for every byte as a character, taken at once: the recorder decodes
  // each reply of the position query.
  text.reserve(text.size() + length);
  for (size_t at = 0; at < length;) {
    unsigned long value = 0;
    const size_t size = ReadCodePoint(bytes + at, length - at, value);
    if (size == 0) {
      AppendWide(kReplacement, text);
      wellFormed = 0;
      ++at;
    } else {
      AppendWide(value, text);
      at += size;
    }
  }
  return wellFormed;
}
