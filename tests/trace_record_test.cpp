// Traces and the dry run's JSON lines are written by the same code; these
// are the texts a reader and the dry run's users rely on.
#include "trace/trace_record.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "replay/hex_decoding.h"
#include "replay/trace_player.h"
#include "simulator/operation_text.h"
#include "trace/hex_text.h"
#include "trace/trace_operations.h"
#include "trace/utf8_text.h"

namespace {

TEST(TraceRecord, RealsTakeTheFewestDigitsThatReadBackWhateverTheLocale) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {35.69266981057444, "35.69266981057444"},
      {139.75012472663002, "139.75012472663002"},
      {0.0, "0.0"},
      {-0.0, "-0.0"},
      {35.0, "35.0"},
      {1e14, "100000000000000.0"},
      {1e15, "1e+15"},
      {0.0001, "0.0001"},
      {1.5e-5, "1.5e-05"},
      {-2.5e300, "-2.5e+300"},
      {std::nan(""), "null"},
  };
  // The German locale writes a decimal comma, which a trace must not take.
  const std::string original = std::setlocale(LC_NUMERIC, nullptr);
  for (const char* locale : {"C", "de_DE.UTF-8"}) {
    if (!std::setlocale(LC_NUMERIC, locale)) continue;
    for (const auto& c : cases) {
      std::string json;
      AppendJsonReal(c.value, json);
      EXPECT_EQ(json, c.text) << locale;
    }
  }
  std::setlocale(LC_NUMERIC, original.c_str());
}

TEST(TraceRecord, TextsKeepEveryCharacterAndEscapeOnlyWhatJsonMust) {
  const unsigned short pair[] = {0xD83D, 0xDDFA, 0xD800, L'x'};
  std::string utf8;
  AppendUtf16AsUtf8(pair, 4, utf8);
  EXPECT_EQ(utf8, "\xF0\x9F\x97\xBA?x") << "a surrogate pair is one character, a lone one none";

  const struct {
    std::string text;
    const char* json;
  } cases[] = {
      {"\"\\\r\n\t\b\f\x01\x7f", "\"\\\"\\\\\\r\\n\\t\\b\\f\\u0001\x7f\""},
      {"\\Program Files\\地図", "\"\\\\Program Files\\\\地図\""},
      {std::string("a\0b", 3), "\"a\\u0000b\""},
      {"\x81\x5c", "\"\xEF\xBF\xBD\\\\\""},  // a byte that starts no character
      {"\x80 \x7F", "\"\xEF\xBF\xBD \x7F\""},
      {"\xC2\x80\xF4\x8F\xBF\xBF", "\"\xC2\x80\xF4\x8F\xBF\xBF\""},  // U+0080, U+10FFFF
      {"\xF4\x90\x80\x80",
       "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},  // beyond U+10FFFF
  };
  for (const auto& c : cases) {
    std::string json;
    AppendJsonText(c.text.data(), c.text.size(), json);
    EXPECT_EQ(json, c.json);
  }
  std::wstring decoded;
  EXPECT_EQ(DecodeUtf8("\xE5\x9C\xB0\xC0\x80", 5, decoded), 0);
  EXPECT_EQ(decoded, std::wstring(L"\x5730\xFFFD\xFFFD"));
}

// Each character at the edges of UTF-8's one- to four-byte forms, as the
// recorder writes it and the reader takes it back. Windows' code page 932
// makes a reply's or a settings line's bytes into characters of one to three
// bytes (0x80 into U+0080, 0xA0 into U+F8F0); only texts the system gives in
// UTF-16, such as a dial-up entry's name, can hold a surrogate pair.
TEST(TraceRecord, EachCharacterTakesItsOwnUtf8FormBothWays) {
  const struct {
    std::vector<unsigned short> utf16;
    const char* utf8;
  } cases[] = {
      {{0x7F}, "\x7F"},
      {{0x80}, "\xC2\x80"},
      {{0x7FF}, "\xDF\xBF"},
      {{0x800}, "\xE0\xA0\x80"},
      {{0xD7FF}, "\xED\x9F\xBF"},
      {{0xE000}, "\xEE\x80\x80"},
      {{0xF8F0}, "\xEF\xA3\xB0"},
      {{0xFFFF}, "\xEF\xBF\xBF"},
      {{0xD800, 0xDC00}, "\xF0\x90\x80\x80"},
      {{0xDBFF, 0xDFFF}, "\xF4\x8F\xBF\xBF"},
  };
  for (const auto& c : cases) {
    std::string fromUtf16;
    AppendUtf16AsUtf8(c.utf16.data(), c.utf16.size(), fromUtf16);
    EXPECT_EQ(fromUtf16, c.utf8) << std::hex << c.utf16[0];
    // A wchar_t of 16 bits (Windows) holds the UTF-16 units, one of 32 bits
    // the whole code point.
    const unsigned long codePoint =
        c.utf16.size() == 2 ? 0x10000 + ((c.utf16[0] - 0xD800ul) << 10) + (c.utf16[1] - 0xDC00ul)
                            : c.utf16[0];
    const std::wstring wide = sizeof(wchar_t) == 2
                                  ? std::wstring(c.utf16.begin(), c.utf16.end())
                                  : std::wstring(1, static_cast<wchar_t>(codePoint));
    std::string fromWide;
    AppendUtf8(wide, fromWide);
    EXPECT_EQ(fromWide, c.utf8) << std::hex << codePoint;
    std::wstring decoded;
    EXPECT_EQ(DecodeUtf8(c.utf8, std::strlen(c.utf8), decoded), 1) << std::hex << codePoint;
    EXPECT_EQ(decoded, wide) << std::hex << codePoint;
  }

  // What is no character: a lone or reversed surrogate, a value beyond
  // Unicode; and bytes that form none.
  const struct {
    std::vector<unsigned short> utf16;
    const char* utf8;
  } notCharacters[] = {
      {{0xD800}, "?"},
      {{0xDBFF, L'x'}, "?x"},
      {{0xDC00, 0xD800}, "??"},
      {{0xDFFF}, "?"},
      {{0xD7FF, 0xDC00}, "\xED\x9F\xBF?"},
      {{0xDBFF, 0xE000}, "?\xEE\x80\x80"},
  };
  for (const auto& c : notCharacters) {
    std::string utf8;
    AppendUtf16AsUtf8(c.utf16.data(), c.utf16.size(), utf8);
    EXPECT_EQ(utf8, c.utf8) << std::hex << c.utf16[0];
  }
  // Beyond U+10FFFF only where a wchar_t can hold it.
  for (const unsigned long value : {0xD800ul, 0xDFFFul, 0x110000ul}) {
    if (value > WCHAR_MAX) continue;
    std::string utf8;
    AppendUtf8(std::wstring(1, static_cast<wchar_t>(value)), utf8);
    EXPECT_EQ(utf8, "?") << std::hex << value;
  }
  const struct {
    const char* utf8;
    std::size_t replaced;  // the U+FFFD it decodes to
  } malformed[] = {
      {"\xC1\xBF", 2},          // U+007F written long
      {"\xE0\x9F\xBF", 3},      // U+07FF written long
      {"\xF0\x8F\xBF\xBF", 4},  // U+FFFF written long
      {"\xED\xA0\x80", 3},      // a surrogate
      {"\xF4\x90\x80\x80", 4},  // U+110000
      {"\xF5\x80\x80\x80", 4},  // a lead byte of no character
      {"\xE3\x81", 2},          // cut short
      {"\xC2\x41", 1},          // a lead byte without its continuation
  };
  for (const auto& c : malformed) {
    std::wstring decoded;
    EXPECT_EQ(DecodeUtf8(c.utf8, std::strlen(c.utf8), decoded), 0) << c.utf8;
    const std::size_t tail = c.replaced == 1 ? 1 : 0;
    EXPECT_EQ(decoded.substr(0, c.replaced), std::wstring(c.replaced, L'\xFFFD')) << c.utf8;
    EXPECT_EQ(decoded.size(), c.replaced + tail) << c.utf8;
    EXPECT_EQ(Utf8CharacterLength(c.utf8, std::strlen(c.utf8)), 0u) << c.utf8;
  }
}

// An operation reads the same in every output: the replay report quotes
// texts exactly, the dry run's timeline and chart readably.
TEST(TraceRecord, AnOperationIsDescribedOnceWithItsTextsQuotedEitherWay) {
  TraceRecord record;
  record.Begin(5, kOpCloseFile);
  record.Begin(7, kOpOpenFile);
  record.AddText("path", "\\Maps\\\"地図\"\r\n\t\x01\x7f");
  record.AddNumber("handle", -5);
  record.AddBoolean("ok", false);
  record.AddReal("latitude", 35.5);
  const struct {
    TextQuoting quoting;
    const char* closeFile;
    const char* openFile;
  } cases[] = {
      {kExactQuoting, "close_file",
       "open_file path=\"\\\\Maps\\\\\\\"地図\\\"\\r\\n\\t\\x01\\x7F\" handle=-5 ok=false "
       "latitude=35.5"},
      {kReadableQuoting, "close_file",
       "open_file path=\"\\Maps\\\\\"地図\\\"\\r\\n\\t\\x01\\x7F\" handle=-5 ok=false "
       "latitude=35.5"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(OperationText(record, record.Event(0), c.quoting), c.closeFile);
    EXPECT_EQ(OperationText(record, record.Event(1), c.quoting), c.openFile);
  }
}

// A replay compares each field by its name, its kind and its value: a flag
// that is true is not the number 1, nor a text the same bytes in another field.
TEST(TraceRecord, FieldsAreTheSameInNameKindAndValueAlone) {
  TraceRecord a;
  a.Begin(0, kOpWrite);
  a.AddNumber("ok", 1);
  a.AddBoolean("ok", true);
  a.AddText("text", "ab");
  a.AddText("hex", "ab");
  a.AddText("text", "abc");
  a.AddReal("latitude", 1.0);
  a.AddNumber("latitude", 1);
  a.AddNumber("count", 1);
  TraceRecord b;
  b.Copy(a, a.Event(0));
  const struct {
    std::size_t x;  // fields of the first record
    std::size_t y;  // and of its copy
    bool same;
  } cases[] = {
      {0, 0, true},  {1, 1, true},  {2, 2, true},  {4, 4, true},  {5, 5, true},
      {0, 1, false}, {1, 0, false}, {2, 3, false}, {2, 4, false}, {4, 2, false},
      {5, 6, false}, {6, 5, false}, {0, 7, false}, {6, 6, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(SameTraceField(a, a.Field(a.Event(0), c.x), b, b.Field(b.Event(0), c.y)), c.same)
        << c.x << " " << c.y;
  }
}

// The bytes of a "hex" field come back as they were; what is not two hex
// digits a byte gives none, and leaves what was already decoded alone.
TEST(TraceRecord, HexGivesTheBytesBackAndRefusesWhatIsNotHex) {
  const std::string bytes("\x00\x81\xff\x5c\x0a", 5);
  std::string hex;
  AppendHexText(bytes, hex);
  EXPECT_EQ(hex, "0081ff5c0a");
  std::string decoded = "kept";
  EXPECT_EQ(DecodeHexText(hex.data(), hex.size(), decoded), 1);
  EXPECT_EQ(decoded, "kept" + bytes);

  const struct {
    const char* hex;
    int decodes;
    const char* bytes;
  } cases[] = {
      {"", 1, ""},
      {"4A6b", 1, "Jk"},
      {"4a6", 0, ""},
      {"4g", 0, ""},
      {"4a 6b", 0, ""},
      {"0x4a", 0, ""},
      {"-1", 0, ""},
      // Each edge of the three runs of digits, in either case.
      {"09af", 1, "\x09\xAF"},
      {"AF", 1, "\xAF"},
      {"Ff", 1, "\xFF"},
      {"/0", 0, ""},
      {":0", 0, ""},
      {"@0", 0, ""},
      {"G0", 0, ""},
      {"`0", 0, ""},
      {"g0", 0, ""},
  };
  for (const auto& c : cases) {
    std::string out;
    EXPECT_EQ(DecodeHexText(c.hex, std::strlen(c.hex), out), c.decodes) << c.hex;
    EXPECT_EQ(out, c.bytes) << c.hex;
  }
}

}  // namespace
