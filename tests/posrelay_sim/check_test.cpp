// posrelay-sim --check, run as a process: what it reports of a settings
// file, and that the dry runs of those settings end as it warns.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "check/settings_check.h"
#include "simulator/text_encoding.h"
#include "tests/posrelay_sim/tool_run.h"
#include "tests/test_helpers.h"

namespace {

TEST(PosrelaySim, CheckReportsValuesOriginsWarningsAndRunTime) {
  const ToolResult result = RunTool("--check " + Data("surprises.ini"));
  EXPECT_EQ(result.status, 1);
  const std::string file = std::string(POSRELAY_SIM_TEST_DATA) + "/surprises.ini";
  EXPECT_EQ(result.out, file + ", as the launcher reads it:\n" +
                            ReadFile(POSRELAY_SIM_TEST_DATA "/surprises.report"));
  // The same for programs.
  const ToolResult json = RunTool("--check " + Data("surprises.ini") + " --format json");
  EXPECT_EQ(json.status, 1);
  const nlohmann::json report = nlohmann::json::parse(json.out);
  EXPECT_EQ(report["settings"]["wait"], nlohmann::json({{"value", -250}, {"line", 2}}));
  EXPECT_EQ(report["settings"]["gpath"]["value"], "\\地図\\Map.exe");
  EXPECT_EQ(report["warnings"].size(), 6u);
  EXPECT_EQ(report["warnings"][4]["line"], 5);
  EXPECT_EQ(report["warnings"][2]["key"], "wait");
  EXPECT_EQ(report["warnings"][2]["kind"], "negativePause");
  EXPECT_EQ(report["warnings"][4]["key"], nullptr);
  EXPECT_EQ(report["runTimeMs"]["longest"], 61401);
}

TEST(PosrelaySim, CheckWarnsAboutEachSurprise) {
  const std::string longLine = std::string(300, 'x') + "wait=7\n";
  const struct {
    const char* name;
    std::string file;
    int status;
    const char* expected;  // a line of the report
    const char* locale = "LANG=C";
  } cases[] = {
      {"notes and blank lines", "# Milliseconds between checks\n\nwait=1000\n", 0,
       "  wait       1000                                        line 3\n"},
      {"key tried first", "waitloop=5 wait=3\n", 1,
       "warning: line 1: \"waitloop=5 wait=3\" sets wait, not waitloop: \"wait=\" is tried "
       "first\n"},
      {"no key", "# notes\nZoom=4\n", 1,
       "warning: line 2: \"Zoom=4\" matches no key and is ignored\n"},
      {"key in another case", "# notes\nWait=1000\n", 1,
       "warning: line 2: \"Wait=1000\" matches no key and is ignored: keys are written in lower "
       "case, as wait; write wait=1000\n"},
      {"blank before the equals sign", "wait =1000\n", 1,
       "warning: line 1: \"wait =1000\" matches no key and is ignored: the launcher looks for "
       "\"wait=\", with nothing between the key and \"=\"; write wait=1000\n"},
      {"full-width key",
       "\x82\x97\x82\x81\x82\x89\x82\x94\x81\x81\x82\x53\x82\x4f\x82\x4f\x82\x4f\r\n", 1,
       "warning: line 1: \"ｗａｉｔ＝４０００\" is written in full-width characters, which the "
       "launcher does not read as a key: the line is ignored; write it in half-width characters: "
       "wait=4000\n"},
      {"set twice", "wait=1\ngclear=1\nwait=2\n", 1,
       "warning: line 3: wait set more than once (lines 1, 3); the last one holds\n"},
      {"negative pause", "wsimcon=-20\n", 1,
       "warning: line 1: wsimcon is negative (-20); taken as 0 ms\n"},
      {"no checks", "waitloop=0\n", 1,
       "warning: line 1: waitloop is 0: no check for the map window, so closing or starting the "
       "map always ends in a timeout message\n"},
      {"text too long", "comport=COM1234567890123456\n", 1,
       "warning: line 1: comport value longer than 15 characters or than the line's first 255 "
       "bytes; left unchanged\n"},
      {"no value", "gclear=1\nwait=", 1, "warning: line 2: wait has no value; left unchanged\n"},
      {"piece of a long line", longLine + "gclear=1\n", 1,
       "warning: line 1: the part past its first 255 bytes is read as a line of its own and sets "
       "wait\n"},
      {"lines counted across pieces", longLine + "gclear=1\r\n", 1,
       "  gclear     1                                           line 2\n"},
      // A line of 254 characters and its line feed fill a piece and end there.
      {"line of 253 characters", std::string(253, 'x') + "\ngclear=1\n", 0,
       "  gclear     1                                           line 2\n"},
      {"line of 254 characters", std::string(254, 'x') + "\ngclear=1\n", 0,
       "  gclear     1                                           line 2\n"},
      {"line of 255 characters", std::string(255, 'x') + "\ngclear=1\n", 0,
       "  gclear     1                                           line 2\n"},
      {"Shift-JIS path", "gpath=\\\x95\x5c\\map.exe\n", 0,
       "  gpath      \"\\表\\map.exe\"  line 1\n"},
      // Padded by display width: 表 takes two columns.
      {"columns after Japanese text", "gpath=\\\x95\x5c\\map.exe\n", 0,
       "  greset     1              default\n"},
      {"blank after a port", "comport=COM1: \r\n", 1,
       "warning: line 1: comport value \"COM1: \" has a half-width blank at its end, which the "
       "launcher "
       "keeps as part of the port name; write comport=COM1:\n"},
      {"port without its colon", "comport=COM1\r\n", 1,
       "warning: line 1: comport value \"COM1\" has no colon at its end: the handset's port names "
       "end in \":\", so the module's port does not open and the run ends with the message that "
       "no position came; write comport=COM1:\n"},
      {"equals sign in a path", "gpath=\\Maps\\a=b.exe\r\n", 1,
       "warning: line 1: gpath value \"\\Maps\\a=b.exe\" holds \"=\", where the launcher ends the "
       "value: gpath becomes \"\\Maps\\a\", since a path in posrelay.ini cannot hold \"=\": move "
       "or rename the map so that its path has none\n"},
      {"no digits", "wait=abc\n", 1,
       "warning: line 1: wait value \"abc\" has no digits; read as 0\n"},
      {"full-width digits", "wait=\x82\x51\x82\x4f\x82\x4f\n", 1,
       "warning: line 1: wait value \"２００\" has full-width digits, which are not read as "
       "digits: read as 0; write wait=200\n"},
      {"full-width equals sign",
       "wait\x81\x81"
       "200\n",
       1,
       "warning: line 1: \"wait＝200\" has a full-width equals sign (＝), so it matches no key "
       "and is ignored; write wait=200\n"},
      {"comment that sets a key", "gclear=1\n  // wait=100\n", 1,
       "warning: line 2: \"  // wait=100\" looks like a comment, yet sets wait: the file has no "
       "comment syntax\n"},
      {"UTF-8 file", "# 待ち時間\nwait=1000\ngpath=\\地図\\map.exe\n", 1,
       "warning: line 3: the file is UTF-8, not Shift-JIS, and the launcher reads this line "
       "otherwise than it is written: as \"gpath=\\蝨ｰ蝗ｳ\\map.exe\"; save the file as "
       "Shift-JIS\n"},
      {"UTF-16 file",
       std::string("\xFF\xFEw\0a\0i\0t\0=\0"
                   "5\0\n\0",
                   16),
       1,
       "warning: line 1: the file is UTF-16, not Shift-JIS: the launcher reads none of its "
       "settings; save it as Shift-JIS\n"},
      // What owners write, and how the launcher reads it.
      {"unit", "wait=4\x95\x62\r\n", 1,
       "warning: line 1: wait value \"4秒\" has the unit \"秒\" after its digits, which is not "
       "read: read as 4, that is 4 ms; wait counts milliseconds, so for 4 s write wait=4000\n"},
      {"unit after a carriage return", "wsimcon= \r2\x95\x62\n", 1,
       "wsimcon value \"2秒\" has the unit \"秒\" after its digits"},
      {"text after digits", "waitloop=10 times\r\n", 1,
       "warning: line 1: waitloop value \"10 times\" has \"times\" after its digits, which is "
       "not read: read as 10; write waitloop=10\n"},
      {"waits shorter than a handset's map takes", "wait=4\x95\x62\r\n", 1,
       "warning: line 1: wait 4 and waitloop 10 look for the map's window for only 0.036 s after "
       "starting the map and 0.040 s after asking it to close, where a handset's map takes about "
       "5 s to start or close: the run would end in a timeout message; write wait=556 or more\n"},
      {"one check only", "greset=0\r\nwaitloop=1\r\n", 1,
       "warning: line 2: wait 4000 and waitloop 1 look for the map's window for only 0.000 s after "
       "starting the map, where a handset's map takes about 5 s to start or close: the run would "
       "end in a timeout message; write waitloop=3 or more\n"},
      {"decimal point", "wsimcon=1.5\n", 1,
       "warning: line 1: wsimcon value \"1.5\" has a decimal point: only whole numbers are read, "
       "so it reads as 1 (pauses are in milliseconds: 1.5 seconds is 1500)\n"},
      {"thousands separator", "waitstart=3,000\n", 1,
       "warning: line 1: waitstart value \"3,000\" has a thousands separator, where reading "
       "stops: read as 3; write waitstart=3000\n"},
      {"decimal comma", "wsimcon=1,5\n", 1, "wsimcon value \"1,5\" has a decimal point"},
      {"blanks after digits", "wait=4000 \t\n", 0, "  wait       4000 "},
      {"gpath in quotes", "gpath=\"\\Maps\\Map.exe\"\n", 1,
       "warning: line 1: gpath value \"\\\"\\Maps\\Map.exe\\\"\" is in double quotes, which the "
       "launcher keeps as part of the path: the map cannot be started; write the path without "
       "quotes\n"},
      {"gpath not from the root", "gpath=Maps\\Map.exe\n", 1,
       "warning: line 1: gpath value \"Maps\\Map.exe\" does not start with \"\\\": the handset "
       "takes it from its root, as \\Maps\\Map.exe; write gpath=\\Maps\\Map.exe\n"},
      {"gpath with a drive", "gpath=C:\\Map.exe\n", 1,
       "warning: line 1: gpath value \"C:\\Map.exe\" starts with a drive (C:), which the handset "
       "does not have: the map cannot be started; its paths start with \"\\\", as in "
       "gpath=\\Map.exe\n"},
      {"slashes in gpath", "gpath=/Storage Card/Map.exe\n", 1,
       "warning: line 1: gpath value \"/Storage Card/Map.exe\" has \"/\" where the handset's "
       "paths have \"\\\"; write gpath=\\Storage Card\\Map.exe\n"},
      {"no file name holds it", "gpath=\\Maps\\Map?.exe|*\n", 1,
       "warning: line 1: gpath value \"\\Maps\\Map?.exe|*\" holds \"?\", \"|\", \"*\", which no "
       "file name can hold: the map cannot be started\n"},
      {"no pause between checks", "wait=0\n", 1,
       "warning: line 1: wait is 0: no pause between the checks for the map window, so a map "
       "that takes any time to close or to show its window ends the run in a timeout message\n"},
      {"run over 10 minutes", "wait=40000\nwaitloop=100\n", 1,
       "warning: line 2: the longest run takes about 2 h 15 min 1 s (8101.100 s), over 10 "
       "minutes, with wait 40000 (line 1), waitloop 100 (line 2); the handset shows nothing all "
       "that time\n"},
      {"greset 2", "greset=2\n", 1,
       "warning: line 1: greset is 2: only 1 closes a running map; 2 leaves it running, as 0 "
       "does\n"},
      {"CR alone", "wait=100\rwaitloop=5\r", 1,
       "warning: line 1: \"wait=100\\rwaitloop=5\\r\" has lines ended by a carriage return (CR) "
       "alone, which the launcher does not take as line ends: it reads them as one line, which "
       "only sets wait to 100 (written on it: wait, waitloop); save the file with CR LF line "
       "ends\n"},
      {"more loops than a dry run makes", "gzoomtime=500000\n", 1,
       "warning: line 1: gzoomtime is 500000, over 100000: no dry run or replay is made with it, "
       "since it would show every check or key press one by one\n"},
      {"in Japanese", "wait=4\x95\x62\r\n", 1,
       "警告: 1 行目: wait の値「4秒」は数字のあとに単位「秒」があり、そこは読まれません。4 と"
       "読まれ、4 ミリ秒になります。wait はミリ秒で数えるため、4 秒なら wait=4000 と書いて"
       "ください。\n",
       "LANG=ja_JP.UTF-8"},
      {"values in Japanese quotes", "gpath=\"\\Maps\\Map.exe\"\r\n", 1,
       "警告: 1 行目: gpath の値「\"\\Maps\\Map.exe\"」が「\"」で囲まれています。",
       "LANG=ja_JP.UTF-8"},
      {"what the shortest run assumes", "wait=1000\n", 0,
       "  最短で地図が出るまで  2 秒（切るデータ接続がなく、W-SIM がすぐに位置を返し、"
       "地図アプリの画面がすぐに出るとき）\n",
       "LC_MESSAGES=ja_JP.UTF-8 LANG=C"},
      {"times as the guide writes them", "wait=1000\n", 0,
       "  最長の実行            約 1 分 22 秒\n", "LANG=ja_JP.UTF-8"},
      {"LC_ALL before LANG", "wait=0\n", 1, "warning: line 1: wait is 0",
       "LC_ALL=C LANG=ja_JP.UTF-8"},
  };
  for (const auto& c : cases) {
    const std::string path = WriteTemp(c.file);
    const ToolResult result = RunTool("--check '" + path + "'", c.locale);
    std::remove(path.c_str());
    EXPECT_EQ(result.status, c.status) << c.name << "\n" << result.out;
    EXPECT_NE(result.out.find(c.expected), std::string::npos) << c.name << "\n" << result.out;
  }
}

// The bytes a table's hex text stands for, such as "77 61 0d 0a".
std::string FromHex(const std::string& hex) {
  std::string bytes;
  std::istringstream in(hex);
  for (unsigned int byte = 0; in >> std::hex >> byte;) bytes += static_cast<char>(byte);
  return bytes;
}

// The launcher's message that a dry run ends with for a file with these
// warnings, {kind, key} each, on a handset whose map takes as long to start
// as the check reckons a handset's does; none for a file that shows the map.
// Those that end every run that starts the map come first.
const struct {
  const char* kind;
  const char* key;  // null for any
  const char* message;
  bool onEveryHandset;
} kMessagesOfWarnings[] = {
    {"comportNoColon", nullptr, "W-SIMからの位置情報取得に失敗しました", true},
    {"fullWidthInValue", "comport", "W-SIMからの位置情報取得に失敗しました", true},
    {"fullWidthBlankAtEnds", "comport", "W-SIMからの位置情報取得に失敗しました", true},
    {"gpathQuoted", nullptr, "モバイル Google マップの起動に失敗しました", true},
    {"gpathDrive", nullptr, "モバイル Google マップの起動に失敗しました", true},
    {"gpathNoNameCharacter", nullptr, "モバイル Google マップの起動に失敗しました", true},
    {"fullWidthInValue", "gpath", "モバイル Google マップの起動に失敗しました", true},
    {"fullWidthBlankAtEnds", "gpath", "モバイル Google マップの起動に失敗しました", true},
    {"utf8", "gpath", "モバイル Google マップの起動に失敗しました", true},
    {"notShiftJis", "gpath", "モバイル Google マップの起動に失敗しました", true},
    {"notShiftJis", "comport", "W-SIMからの位置情報取得に失敗しました", true},
    {"mapWaitShort", nullptr, "モバイル Google マップの起動でタイムアウトしました", false},
    {"waitZero", nullptr, "モバイル Google マップの起動でタイムアウトしました", false}};

// The first of kMessagesOfWarnings that the warnings hold, or null.
const char* MessageOfWarnings(const nlohmann::json& warnings, bool onEveryHandset) {
  for (const auto& known : kMessagesOfWarnings) {
    if (onEveryHandset && !known.onEveryHandset) continue;
    for (const nlohmann::json& warning : warnings) {
      if (warning["kind"] == known.kind && (!known.key || warning["key"] == known.key)) {
        return known.message;
      }
    }
  }
  return nullptr;
}

// The message a dry run on the handset of `scenario` ends with; "" for none.
std::string DryRunMessage(const std::string& scenario, const std::string& ini) {
  const ToolResult run = RunTool("--format json --scenario '" + scenario + "' --ini '" + ini + "'");
  std::string message;
  for (const nlohmann::json& operation : JsonLines(run.out)) {
    if (operation.value("op", "") == "message") message = operation["text"];
  }
  return message;
}

// Text in Windows-1252 as UTF-8, for the table's files of that encoding,
// whose bytes over 7F all lie from A0 up, where it is Latin-1.
std::string Windows1252ToUtf8(const std::string& bytes) {
  std::wstring text(bytes.begin(), bytes.end());
  for (wchar_t& c : text) c = static_cast<unsigned char>(c);
  return WideToUtf8(text);
}

// The handset's states the owner's page offers for its dry run.
const char* const kHandsetStates[] = {
    "{}",
    "{\"map\": {\"running\": true}}",
    "{\"module\": {\"identification\": \"\"}}",
    "{\"module\": {\"positionReplies\": [\"\\r\\nERROR\\r\\n\"]}}",
    "{\"map\": {\"executableExists\": false}}",
    "{\"map\": {\"installedAt\": \"\\\\Program Files\\\\GoogleMaps\\\\GoogleMaps.exe\"}}"};

// The settings lines owners write, from the table that the owner's page is
// tested with too: each file's warnings, their kinds by line, in either
// language, each text its line and then its message; and dry runs that
// agree with them: a value that does not work as written ends the run
// without the map on every handset, and the slow map's run ends as the
// warnings say.
TEST(PosrelaySim, CheckGivesEachLineOfTheTableItsWarnings) {
  std::ifstream in(POSRELAY_SIM_TEST_DATA "/check/settings_lines.json");
  const nlohmann::json table = nlohmann::json::parse(in);
  ASSERT_GT(table["files"].size(), 20u);
  const std::string slowMap =
      WriteTemp("{\"map\": {\"appearsAfterMs\": " + std::to_string(kHandsetMapMs) + "}}");
  std::vector<std::string> states;
  for (const char* state : kHandsetStates) states.push_back(WriteTemp(state));
  for (const nlohmann::json& file : table["files"]) {
    const std::string bytes = FromHex(file["bytes"]);
    std::string lines;
    for (const std::string line : file["lines"]) lines += line + "\r\n";
    // The bytes are the lines the table shows.
    EXPECT_EQ(file["encoding"] == "utf-8"          ? bytes
              : file["encoding"] == "windows-1252" ? Windows1252ToUtf8(bytes)
                                                   : WideToUtf8(Cp932ToWide(bytes)),
              lines);
    const std::string path = WriteTemp(bytes);
    nlohmann::json warnings;
    for (const auto& [locale, line] :
         {std::pair<std::string, std::string>{"LANG=C", "line "}, {"LANG=ja_JP.UTF-8", ""}}) {
      const ToolResult result = RunTool("--check '" + path + "' --format json", locale);
      const nlohmann::json report = nlohmann::json::parse(result.out);
      warnings = report["warnings"];
      nlohmann::json kinds = nlohmann::json::object();
      for (const nlohmann::json& warning : warnings) {
        const std::string number = std::to_string(warning["line"].get<int>());
        kinds[number].push_back(warning["kind"]);
        const std::string message = warning["message"];
        EXPECT_EQ(warning["text"], line + number + (line.empty() ? " 行目: " : ": ") + message);
        // Every warning in Japanese is a sentence.
        if (line.empty()) {
          EXPECT_EQ(message.substr(message.size() - 3), "。") << message;
        }
      }
      EXPECT_EQ(kinds, file["warnings"]) << lines << locale;
      EXPECT_EQ(result.status, kinds.empty() ? 0 : 1) << lines << locale;
    }
    const char* message = MessageOfWarnings(warnings, false);
    EXPECT_EQ(DryRunMessage(slowMap, path), message ? message : "") << lines;
    if (MessageOfWarnings(warnings, true)) {
      for (std::size_t state = 0; state < states.size(); ++state) {
        EXPECT_NE(DryRunMessage(states[state], path), "") << lines << kHandsetStates[state];
      }
    }
    std::remove(path.c_str());
  }
  for (const std::string& state : states) std::remove(state.c_str());
  std::remove(slowMap.c_str());
}

// Bytes in gpath that are no Shift-JIS character, named in the warning as
// the handset's conversion takes them: a lead byte with the byte after it.
// Such bytes outside the value change nothing it names.
TEST(PosrelaySim, CheckNamesTheBytesThatAreNoShiftJisCharacter) {
  const struct {
    const char* line;
    const char* named;  // null for no such warning
  } cases[] = {{"gpath=\\M\xFC\x6Cp.exe", "FC 6C"}, {"gpath=\\M\x81\x20p.exe", "81 20"},
               {"gpath=\\M\x9F\x7Fp.exe", "9F 7F"}, {"gpath=\\M\xE0\x7Fp.exe", "E0 7F"},
               {"gpath=\\M\x80p.exe", "80"},        {"gpath=\\M\xA0p.exe", "A0"},
               {"gpath=\\M\xFDp.exe", "FD"},        {"gpath=\\M\xFF\xFFp.exe", "FF"},
               {"gpath=\\M\x81\x45p.exe", nullptr}, {"gpath=\\M\xA1p.exe", nullptr},
               {"gpath=\\M\x9F\x40p.exe", nullptr}, {"gpath=\\M\xE0\x40p.exe", nullptr},
               {"\xFC\x6C gpath=\\Mp.exe", nullptr}};
  for (const auto& c : cases) {
    const std::string path = WriteTemp(std::string(c.line) + "\r\n");
    const nlohmann::json warnings =
        nlohmann::json::parse(RunTool("--check '" + path + "' --format json").out)["warnings"];
    std::remove(path.c_str());
    std::vector<std::string> messages;
    for (const nlohmann::json& warning : warnings) {
      if (warning["kind"] == "notShiftJis") messages.push_back(warning["message"]);
    }
    if (!c.named) {
      EXPECT_EQ(messages, std::vector<std::string>()) << c.line;
      continue;
    }
    ASSERT_EQ(messages.size(), 1u) << c.line;
    EXPECT_NE(messages[0].find(std::string("(") + c.named + ")"), std::string::npos) << messages[0];
  }
}

// The dry run says where it takes the map to be, and what it takes of a
// blank at gpath's end; the map at its default path starts only from there.
TEST(PosrelaySim, DryRunSaysWhereItTakesTheMapToBe) {
  const std::string defaultPath = WriteTemp(kHandsetStates[5]);
  const struct {
    const char* settings;
    const char* scenario;
    const char* said;
    int status;
  } cases[] = {
      {"wait=4000\r\n", "",
       "The dry run takes the map to be at \"\\Program Files\\GoogleMaps\\GoogleMaps.exe\", the "
       "path gpath names.\n",
       0},
      {"gpath=\\Maps\\Map.exe \r\n", "",
       "The dry run takes the map to be at \"\\Maps\\Map.exe\", the path gpath names. gpath ends "
       "in "
       "a half-width blank: the dry run takes it that the handset drops it and finds the map; "
       "whether it does is not known.\n",
       0},
      {"gpath=\\Storage Card\\GM.exe\r\n", defaultPath.c_str(),
       "The dry run takes the map to be at its default path, \"\\Program Files\\GoogleMaps\\"
       "GoogleMaps.exe\", whatever gpath names.\n",
       1},
      {"gpath=\\program files\\googlemaps\\GOOGLEMAPS.EXE\r\n", defaultPath.c_str(),
       "The dry run takes the map to be at its default path, \"\\Program Files\\GoogleMaps\\"
       "GoogleMaps.exe\", whatever gpath names.\n",
       0},
      {"wait=4000\r\n", "map_does_not_start.json",
       "The dry run takes the map to be missing from the handset.\n", 1},
      {"gpath=\\Maps\\M\xFCller.exe\r\n", "",
       "gpath holds bytes that are no Shift-JIS character, so the dry run cannot tell which path "
       "was meant: it takes it that the handset has no file of the name the launcher reads.\n",
       1},
      {"gpath=\\Maps\\M\xFCller.exe\r\n", defaultPath.c_str(),
       "The dry run takes the map to be at its default path, \"\\Program Files\\GoogleMaps\\"
       "GoogleMaps.exe\", whatever gpath names.\n",
       1}};
  for (const auto& c : cases) {
    const std::string ini = WriteTemp(c.settings);
    const std::string scenario = *c.scenario ? std::string(" --scenario '") + c.scenario + "'" : "";
    const ToolResult run = RunTool("--ini '" + ini + "'" + scenario);
    std::remove(ini.c_str());
    EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1), c.said) << c.settings;
    EXPECT_EQ(run.status, c.status) << c.settings;
  }
  std::remove(defaultPath.c_str());
}

TEST(PosrelaySim, CheckAcceptsTheSampleSettings) {
  for (const char* sample : {"/samples/posrelay.ini", "/samples/ja/posrelay.ini"}) {
    const ToolResult result =
        RunTool(std::string("--check '") + POSRELAY_SOURCE_DIR + sample + "'");
    EXPECT_EQ(result.status, 0) << result.out;
    EXPECT_EQ(result.out.find("warning"), std::string::npos) << result.out;
  }
}

TEST(PosrelaySim, CheckOfAMissingFileIsStatus2) {
  const ToolResult result = RunTool("--check /nonexistent/posrelay.ini");
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.out, "");
  EXPECT_EQ(result.err, "/nonexistent/posrelay.ini: cannot be read: No such file or directory\n");
  const ToolResult json = RunTool("--check /nonexistent/posrelay.ini --format json");
  EXPECT_EQ(json.status, 2);
  EXPECT_EQ(json.out,
            "{\"file\":\"/nonexistent/posrelay.ini\",\"error\":\"cannot be read: No such file or "
            "directory\"}\n");
}

// What the dry run refuses, the check warns about; what it runs, the check lets pass.
TEST(PosrelaySim, CheckAndDryRunAgreeOnTheLoopLimits) {
  for (const char* settings :
       {"waitloop=100000\n", "waitloop=100001\n", "gzoomtime=100000\n", "gzoomtime=100001\n"}) {
    const std::string path = WriteTemp(settings);
    const ToolResult check = RunTool("--check '" + path + "' --format json");
    const ToolResult run =
        RunTool("--format json --scenario map_does_not_start.json --ini '" + path + "'");
    std::remove(path.c_str());
    const nlohmann::json report = nlohmann::json::parse(check.out);
    bool refused = false;
    for (const nlohmann::json& warning : report["warnings"]) {
      refused = refused || warning["kind"] == "dryRunRefuses";
    }
    EXPECT_EQ(refused, run.status == 2) << settings << run.err;
  }
}

}  // namespace
