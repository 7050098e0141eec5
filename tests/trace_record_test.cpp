// Traces and the dry run's JSON lines are written by the same code; these
// are the texts a reader and the dry run's users rely on.
#include "trace/trace_record.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstring>
#include <string>
#include <vector>

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
      {"", 1, ""},      {"4A6b", 1, "Jk"}, {"4a6", 0, ""}, {"4g", 0, ""},
      {"4a 6b", 0, ""}, {"0x4a", 0, ""},   {"-1", 0, ""},
  };
  for (const auto& c : cases) {
    std::string out;
    EXPECT_EQ(DecodeHexText(c.hex, std::strlen(c.hex), out), c.decodes) << c.hex;
    EXPECT_EQ(out, c.bytes) << c.hex;
  }
}

}  // namespace
