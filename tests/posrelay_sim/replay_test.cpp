// posrelay-sim run as a process, the way its users run it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "check/display_text.h"
#include "check/dry_run_limits.h"
#include "check/settings_check.h"
#include "replay/run_phases.h"
#include "replay/trace_reader.h"
#include "replay/trace_replay.h"
#include "reports/replay_report.h"
#include "reports/run_texts.h"
#include "reports/svg_timeline.h"
#include "reports/trace_refusal.h"
#include "reports/vocabulary_json.h"
#include "shell/res/version.h"
#include "simulator/text_encoding.h"
#include "tests/test_helpers.h"
#include "trace/trace_operations.h"

namespace {

struct ToolResult {
  int status;
  std::string out;
  std::string err;
};

std::string TempPath() {
  std::string path = testing::TempDir() + "posrelay_sim_XXXXXX";
  const int fd = mkstemp(path.data());
  if (fd >= 0) close(fd);
  return path;
}

// A file holding `bytes`, for options that take one.
std::string WriteTemp(const std::string& bytes) {
  const std::string path = TempPath();
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

// `locale` sets the variables that choose the language of a check; the
// rest of the environment's locale is left out.
ToolResult RunTool(const std::string& arguments, const std::string& locale = "LANG=C") {
  const std::string out = TempPath();
  const std::string err = TempPath();
  // From the test data's folder, so that arguments can name its files.
  const std::string command =
      std::string("cd '") + POSRELAY_SIM_TEST_DATA + "' && env -u LC_ALL -u LC_MESSAGES -u LANG " +
      locale + " '" + POSRELAY_SIM_PATH + "' " + arguments + " >'" + out + "' 2>'" + err + "'";
  const int raw = std::system(command.c_str());
  ToolResult result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, ReadFile(out), ReadFile(err)};
  std::remove(out.c_str());
  std::remove(err.c_str());
  return result;
}

std::string Data(const std::string& name) {
  return std::string("'") + POSRELAY_SIM_TEST_DATA + "/" + name + "'";
}

// The JSON lines of a run, each parsed.
std::vector<nlohmann::json> JsonLines(const std::string& out) {
  std::vector<nlohmann::json> lines;
  std::istringstream in(out);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(nlohmann::json::parse(line, nullptr, false));
  }
  return lines;
}

int CountOp(const std::vector<nlohmann::json>& lines, const std::string& op) {
  return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const nlohmann::json& l) {
    return l.value("op", "") == op;
  }));
}

TEST(PosrelaySim, RunsTheLauncherOnEachHandset) {
  const char* const kCloseTimeout = "モバイル Google マップの停止でタイムアウトしました";
  const char* const kNoPosition = "W-SIMからの位置情報取得に失敗しました";
  const char* const kStartFailed = "モバイル Google マップの起動に失敗しました";
  const char* const kStartTimeout = "モバイル Google マップの起動でタイムアウトしました";
  const struct {
    const char* scenario;  // under tests/posrelay_sim; null: the default handset
    const char* ini;       // likewise; null: no settings file
    int status;
    const char* message;  // null: a normal end
    bool position;
    std::uint64_t totalMs;
    std::map<std::string, int> opCounts;
  } cases[] = {
      // 100 ms, one hang-up (1 s), the connect pause (1 s), one attempt (900 ms).
      {nullptr,
       nullptr,
       0,
       nullptr,
       true,
       3000,
       {{"ras_hang_up", 1}, {"create_process", 1}, {"open_url", 0}, {"message", 0}}},
      {"map_never_closes.json",
       nullptr,
       1,
       kCloseTimeout,
       false,
       100 + 11 * 4000,
       {{"post_message", 1}, {"find_window", 11}, {"open_device", 0}}},
      // ATI4, AT@K and 50 attempts of four commands, 1 s each.
      {"slow_module_no_position.json",
       nullptr,
       1,
       kNoPosition,
       false,
       100 + 1000 + 50 * 1000,
       {{"write", 202}, {"close_device", 1}, {"create_process", 0}}},
      {"map_does_not_start.json",
       nullptr,
       1,
       kStartFailed,
       true,
       3000,
       {{"create_process", 1}, {"find_window", 2}}},
      // The handset starts nothing from a path in double quotes.
      {nullptr,
       "quoted_gpath.ini",
       1,
       kStartFailed,
       true,
       3000,
       {{"create_process", 1}, {"find_window", 2}}},
      {"map_shows_no_window.json",
       nullptr,
       1,
       kStartTimeout,
       true,
       3000 + 10 * 4000,
       {{"find_window", 12}, {"foreground", 0}}},
      {"offline.json",
       "zoom_and_clear.ini",
       0,
       nullptr,
       true,
       3000,
       {{"open_url", 1}, {"key", 0}, {"post_message", 0}}},
      // Zoom: 200 ms and 19 presses at 50 ms; clear: 100 ms.
      {nullptr,
       "zoom_and_clear.ini",
       0,
       nullptr,
       true,
       3000 + 1150 + 100,
       {{"registry_set", 1}, {"key", 38}, {"pre_key", 1}, {"post_key", 1}, {"post_message", 1}}},
      // Closed at the fifth check (6 s), two hang-ups, a slow module that
      // answers at its second attempt, a window after three checks.
      {"busy_handset.json",
       "zoom_and_clear.ini",
       0,
       nullptr,
       true,
       100 + 6000 + 2000 + 1000 + 2000 + 3000 + 1150 + 100,
       {{"ras_hang_up", 2}, {"registry_set", 0}, {"key", 38}, {"post_message", 2}}},
  };
  for (const auto& c : cases) {
    const std::string name = std::string(c.scenario ? c.scenario : "default handset") + " / " +
                             (c.ini ? c.ini : "no settings");
    std::string arguments = "--format json";
    if (c.scenario) arguments += " --scenario " + Data(c.scenario);
    if (c.ini) arguments += " --ini " + Data(c.ini);
    const ToolResult result = RunTool(arguments);
    EXPECT_EQ(result.status, c.status) << name << "\n" << result.err;
    const std::vector<nlohmann::json> lines = JsonLines(result.out);
    ASSERT_FALSE(lines.empty()) << name;
    for (const nlohmann::json& line : lines) {
      ASSERT_TRUE(line.is_object() && line["t"].is_number_unsigned() && line["op"].is_string())
          << name << "\n"
          << result.out;
    }
    const nlohmann::json& end = lines.back();
    EXPECT_EQ(end["op"], "end") << name;
    EXPECT_EQ(end["t"], c.totalMs) << name;
    EXPECT_EQ(end["outcome"], c.message ? "message" : "shown") << name;
    EXPECT_EQ(end.contains("latitude") && end.contains("longitude"), c.position) << name;
    EXPECT_EQ(CountOp(lines, "message"), c.message ? 1 : 0) << name;
    if (c.message) {
      for (const nlohmann::json& line : lines) {
        if (line["op"] == "message") {
          EXPECT_EQ(line["text"], c.message) << name;
        }
      }
    }
    EXPECT_EQ(lines[lines.size() - 2]["op"], "quit") << name;
    for (const auto& [op, count] : c.opCounts) EXPECT_EQ(CountOp(lines, op), count) << name << op;
  }
}

// A dry run recorded with --record holds the very operations the dry run
// prints, at the same virtual times, with the device's header, and replays.
TEST(PosrelaySim, RecordedDryRunsAreTheDryRunsInEveryScenario) {
  for (const char* scenario :
       {"busy_handset.json", "map_does_not_start.json", "map_never_closes.json",
        "map_shows_no_window.json", "name_after_zero_byte.json", "offline.json",
        "slow_module_no_position.json"}) {
    SCOPED_TRACE(scenario);
    const std::string trace = TempPath();
    const ToolResult run =
        RunTool("--format json --scenario " + Data(scenario) + " --record '" + trace + "'");
    const std::string recorded = ReadFile(trace);
    const ToolResult replay = RunTool("--replay '" + trace + "'");
    std::remove(trace.c_str());
    ASSERT_NE(recorded.find('\n'), std::string::npos);
    EXPECT_EQ(recorded.substr(recorded.find('\n') + 1), run.out);
    EXPECT_EQ(JsonLines(recorded).front()["system"], "simulated");
    EXPECT_EQ(replay.status, 0) << replay.err;
    EXPECT_EQ(replay.out.substr(replay.out.rfind('\n', replay.out.size() - 2) + 1, 10),
              "identical:");
  }
}

TEST(PosrelaySim, JsonLinesCarryTheLaunchAsTheHandsetSawIt) {
  const ToolResult result = RunTool("--format json --scenario " + Data("busy_handset.json") +
                                    " --ini " + Data("zoom_and_clear.ini"));
  const std::vector<nlohmann::json> lines = JsonLines(result.out);
  std::map<std::string, nlohmann::json> first;
  for (const nlohmann::json& line : lines) first.emplace(line["op"], line);
  EXPECT_EQ(first["create_process"]["exe"], "\\Program Files\\GoogleMaps\\GoogleMaps.exe");
  EXPECT_EQ(first["create_process"]["cmdline"],
            "-URL \"?action=locn&a=@latlon:35.692670,139.750125\"");
  EXPECT_EQ(first["ras_enumerate"]["count"], 3);
  EXPECT_EQ(first["end"]["latitude"], 35.69266981057444);
  EXPECT_EQ(first["end"]["longitude"], 139.75012472663002);
  // The module's Shift-JIS reply comes out as UTF-8 with its line ends escaped.
  EXPECT_NE(result.out.find("\"text\":\"\\r\\n測位中\\r\\n\""), std::string::npos);
}

TEST(PosrelaySim, TextTimelineHasPhasesFoldedKeysAndASummary) {
  const std::string kWgs84 = "35.689444, 139.753333); on WGS84 35.692670, 139.750125";
  // Texts show quotes and control bytes escaped, backslashes as they stand.
  const std::string escapes = WriteTemp("wait=200 \"\\x\x1b\x7f\n");
  const struct {
    std::string arguments;
    std::vector<std::string> lines;  // lines that must come, in this order
  } cases[] = {
      {"",
       {"-- settings --",
        "0.000  executable_path  path=\"\\Program Files\\posrelay\\posrelay.exe\"", "-- map --",
        "-- connection --", "-- module --", "-- attempt 1 --", "2.100  sleep            ms=100",
        "2.200  write            handle=264 text=\"AT@LBC\\r\" count=7", "-- map start --",
        "3.000  quit             code=0", "-- summary --",
        "position  attempt 1 of at most 10 gave N35.41.22 E139.45.12 on the Tokyo datum (" + kWgs84,
        "message   none", "end: map shown at 35.692670, 139.750125, after 3.000 s"}},
      {"--scenario busy_handset.json --ini zoom_and_clear.ini",
       {"-- zoom and clear --",
        "14.300  key                  17 × 3 (each: sleep 50 ms, down, up), the last at 15.150 s",
        "15.150  key                  2 × 1 (each: sleep 50 ms, down, up), the last at 15.250 s",
        "15.250  post_key",
        "position  attempt 2 of at most 50 gave N35.41.22 E139.45.12 on the Tokyo datum (" +
            kWgs84}},
      {"--ini '" + escapes + "'",
       {"0.000  read_line        text=\"wait=200 \\\"\\x\\x1B\\x7F\\n\" ok=true"}},
  };
  for (const auto& c : cases) {
    const ToolResult result = RunTool(c.arguments);
    std::istringstream in(result.out);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    auto from = lines.begin();
    for (const std::string& expected : c.lines) {
      from = std::find(from, lines.end(), expected);
      ASSERT_NE(from, lines.end()) << c.arguments << ": no line \"" << expected << "\" in order\n"
                                   << result.out;
    }
  }
  std::remove(escapes.c_str());
}

// The charts in docs/ are what the tool draws now.
TEST(PosrelaySim, SvgChartsAreTheExamplesInTheDocs) {
  const struct {
    const char* arguments;
    const char* chart;
  } cases[] = {
      {"--format svg", "run-default.svg"},
      {"--format svg --scenario slow_module_no_position.json", "run-no-position.svg"},
  };
  for (const auto& c : cases) {
    const ToolResult result = RunTool(c.arguments);
    EXPECT_EQ(result.out, ReadFile(std::string(POSRELAY_SOURCE_DIR) + "/docs/" + c.chart))
        << c.chart << ": regenerate it with posrelay-sim " << c.arguments;
  }
}

TEST(PosrelaySim, BadScenarioOrSettingsFileIsStatus2WithTheFieldNamed) {
  const struct {
    const char* json;
    const char* error;  // what follows "FILE: "
  } cases[] = {
      {"{\"map\": {", "malformed JSON: parse error at line 1, column 10: syntax error"},
      {"{\"map\": {\"runing\": true}}", "map.runing: unknown field"},
      {"{\"module\": {\"positionReplies\": [\"N\", 1]}}",
       "module.positionReplies[1]: expected a string"},
  };
  for (const auto& c : cases) {
    const std::string path = WriteTemp(c.json);
    const ToolResult result = RunTool("--scenario '" + path + "'");
    std::remove(path.c_str());
    EXPECT_EQ(result.status, 2) << c.json;
    EXPECT_EQ(result.out, "") << c.json;
    EXPECT_EQ(result.err.rfind(path + ": " + c.error, 0), 0u) << result.err;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
  }
  // Refused in the owner's words, in the language of the messages locale.
  const std::string endless = WriteTemp("waitloop=2000000000\ngzoomtime=100001\n");
  const ToolResult tooLong = RunTool("--ini '" + endless + "'");
  const ToolResult tooLongInJapanese = RunTool("--ini '" + endless + "'", "LANG=ja_JP.UTF-8");
  std::remove(endless.c_str());
  EXPECT_EQ(tooLong.status, 2);
  EXPECT_EQ(tooLong.err, endless +
                             ": waitloop is 2000000000, over the 100000 checks or key presses a "
                             "dry run shows one by one; gzoomtime is 100001, over the 100000 "
                             "checks or key presses a dry run shows one by one\n");
  EXPECT_EQ(tooLongInJapanese.err,
            endless +
                ": waitloop が 2000000000 で、試運転で 1 つずつ表示できる 100000 回を超えています。"
                "gzoomtime が 100001 で、試運転で 1 つずつ表示できる 100000 回を超えています\n");
  const ToolResult noIni = RunTool("--ini /nonexistent/posrelay.ini");
  EXPECT_EQ(noIni.status, 2);
  EXPECT_EQ(noIni.err, "/nonexistent/posrelay.ini: cannot be read: No such file or directory\n");
}

// The default handset in the help is the one --print-scenario prints.
TEST(PosrelaySim, HelpShowsBothUsesAndAScenario) {
  const ToolResult result = RunTool("--help");
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("posrelay-sim --check FILE"), std::string::npos);
  std::string shown;
  std::istringstream printed(RunTool("--print-scenario").out);
  for (std::string line; std::getline(printed, line);) shown += "  " + line + "\n";
  EXPECT_NE(result.out.find("\n\n" + shown + "\n"), std::string::npos) << shown;
  EXPECT_NE(shown.find("\"positionReplies\""), std::string::npos);
}

// The help gives the most loops a dry run takes as the tool applies it.
// Programs that read traces take the operations' names by their keys: each
// key names the operation the launcher records, with its fields in order.
TEST(PosrelaySim, HelpAndVocabularyComeFromTheTablesTheToolRunsBy) {
  EXPECT_NE(RunTool("--help").out.find("gzoomtime over " + std::to_string(kMostLoops) + " are"),
            std::string::npos);
  const ToolResult result = RunTool("--print-vocabulary");
  ASSERT_EQ(result.status, 0) << result.err;
  const nlohmann::json vocabulary = nlohmann::json::parse(result.out);
  EXPECT_EQ(vocabulary["version"], kTraceFormatVersion);
  EXPECT_EQ(vocabulary["limits"]["traceBytes"], kTraceLimitBytes);
  EXPECT_EQ(vocabulary["limits"]["largestFileBytes"], kLargestTraceFileBytes);
  const nlohmann::json& operations = vocabulary["operations"];
  ASSERT_EQ(operations.size(), static_cast<std::size_t>(kTraceOpCount));
  EXPECT_EQ(operations["CreateProcess"]["op"], "create_process");
  EXPECT_EQ(operations["Write"]["lane"], "module");
  EXPECT_EQ(operations["Sleep"]["phase"], nullptr);
  for (int i = 0; i < kTraceOpCount; ++i) {
    const TraceOperationShape& shape = TraceOperationOf(static_cast<TraceOp>(i));
    const nlohmann::json& op = operations[TraceOpKey(shape.op)];
    EXPECT_EQ(op["op"], shape.name);
    ASSERT_EQ(op["fields"].size(), shape.fieldCount) << shape.name;
    for (unsigned int f = 0; f < shape.fieldCount; ++f) {
      EXPECT_EQ(op["fields"][f]["name"], shape.fields[f].name) << shape.name;
      EXPECT_EQ(op["fields"][f]["result"], shape.fields[f].role == kTraceResult) << shape.name;
    }
  }
}

TEST(PosrelaySim, BadUsageIsOneLineAndStatus2) {
  for (const char* arguments :
       {"--frobnicate", "--ini", "--format xml", "--check a --ini b", "--scenario a --scenario b",
        "--replay a --ini b", "--print-scenario --ini a", "--answer-module --format json",
        "--print-scenario --answer-module", "--answer-module --answer-module",
        "--print-vocabulary --scenario a", "--print-vocabulary --print-vocabulary"}) {
    const ToolResult result = RunTool(arguments);
    EXPECT_EQ(result.status, 2) << arguments;
    EXPECT_EQ(result.out, "") << arguments;
    EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << arguments;
  }
}

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
    EXPECT_EQ(file["encoding"] == "utf-8" ? bytes : WideToUtf8(Cp932ToWide(bytes)), lines);
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
       "The dry run takes the map to be missing from the handset.\n", 1}};
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

// A trace replayed by the tool: its status and its verdict, the last line
// it printed, or its error after "FILE: ".
struct Replayed {
  ToolResult result;
  std::string verdict;
  std::string path;
};

Replayed ReplayTrace(const std::string& trace, const std::string& options = "") {
  Replayed replayed;
  replayed.path = WriteTemp(trace);
  replayed.result = RunTool("--replay '" + replayed.path + "'" + options);
  std::remove(replayed.path.c_str());
  const std::string& said = replayed.result.status == 2 ? replayed.result.err : replayed.result.out;
  const std::string last = said.substr(said.rfind('\n', said.size() - 2) + 1);
  replayed.verdict = replayed.result.status == 2 && last.size() > replayed.path.size() + 2
                         ? last.substr(replayed.path.size() + 2)
                         : last;
  return replayed;
}

std::string SampleTrace(const std::string& name) {
  return ReadFile(std::string(POSRELAY_SOURCE_DIR "/samples/traces/v1/") + name);
}

// Runs recorded under Wine by the launcher 1.5 in the trace's first format,
// kept in samples/traces/v1, replayed as they are and
// altered: a changed reply, a dropped or surplus operation, an edited end
// line, what no run records, a cut or interrupted file.
TEST(PosrelaySim, ReplaysRecordedRunsAndNamesWhereAnAlteredOneDeparts) {
  const std::string kEnd = "{\"t\":1411,\"op\":\"quit\"";
  const std::string kEndLine = "divergence at the end line (line 41): recorded end ";
  const struct {
    const char* trace;    // under samples/traces/v1
    std::string find;     // the first occurrence is replaced, or with
    std::string replace;  //   `tail`, everything from it on
    bool tail;
    int status;
    std::string verdict;  // the start of the closing line, or of the error after "FILE: "
    std::string line;     // a line the report holds as well; empty: none
  } cases[] = {
      {"normal_run.trace", "", "", false, 0,
       "identical: 39 operations; 1.411 s recorded, 1.400 s of them the launcher's pauses, "
       "0.011 s beyond them",
       "end: map shown at 35.692670, 139.750125, after 1.411 s"},
      {"no_position.trace", "", "", false, 0, "identical: 725 operations; 50.747 s recorded",
       "position  none in 50 attempts (at most 50)"},
      {"map_never_closes.trace", "", "", false, 0, "identical: 35 operations", ""},
      {"zoom_and_clear.trace", "", "", false, 0, "identical: 119 operations", ""},
      {"normal_run.trace", "N35.41.22", "N36.41.22", false, 1,
       "divergence at operation 34 (line 35): recorded create_process exe=\"\\\\Program "
       "Files\\\\GoogleMaps\\\\GoogleMaps.exe\" cmdline=\"-URL "
       "\\\"?action=locn&a=@latlon:35.692670,139.750125\\\"\" ok=true; the launcher made "
       "create_process exe=\"\\\\Program Files\\\\GoogleMaps\\\\GoogleMaps.exe\" cmdline=\"-URL "
       "\\\"?action=locn&a=@latlon:36.692563,139.750079\\\"\"",
       ""},
      {"normal_run.trace", "{\"t\":101,\"op\":\"sleep\",\"ms\":100}\n", "", false, 1,
       "divergence at operation 15 (line 16): recorded read text=\"\\r\\nRX410\\r\\n\\r\\nOK"
       "\\r\\n\\r\\nOK\\r\\n\" count=21; the launcher made sleep ms=100",
       ""},
      {"normal_run.trace", "\"text\":\"\",\"count\":0", "\"text\":\"\\r\\nRX410\",\"count\":7",
       false, 1,
       "divergence at operation 18 (line 19): recorded sleep ms=100; the launcher made write "
       "handle=258 text=\"AT@LBC\\r\"",
       ""},
      {"zoom_and_clear.trace", "\"bytes\":10", "\"bytes\":0", false, 1,
       "divergence at operation 47 (line 48): recorded registry_open "
       "path=\"Software\\\\Sharp\\\\PhoneStatus\" ok=true; the launcher made quit code=0",
       ""},
      {"normal_run.trace", kEnd, "{\"t\":1411,\"op\":\"sleep\",\"ms\":100}\n" + kEnd, false, 1,
       "divergence at operation 39 (line 40): recorded sleep ms=100; the launcher made quit "
       "code=0",
       ""},
      {"normal_run.trace", "{\"t\":1411,\"op\":\"end\"",
       "{\"t\":1411,\"op\":\"sleep\",\"ms\":1}\n{\"t\":1411,\"op\":\"end\"", false, 1,
       "divergence at operation 40 (line 41): recorded sleep ms=1; the launcher made no more "
       "calls",
       ""},
      {"normal_run.trace", "{\"t\":1411,\"op\":\"quit\",\"code\":0}\n", "", false, 1,
       "divergence at operation 39 (line 40): the trace ends there; the launcher made quit "
       "code=0",
       ""},
      // The end line is the launcher's own, to the last bit of its position.
      {"normal_run.trace", "\"outcome\":\"shown\"", "\"outcome\":\"message\"", false, 1,
       kEndLine + "outcome=\"message\" latitude=35.69266981057444 longitude=139.75012472663002; "
                  "the replayed calls give end outcome=\"shown\" latitude=35.69266981057444",
       ""},
      {"normal_run.trace", "35.69266981057444", "35.69266981057445", false, 1,
       kEndLine + "outcome=\"shown\" latitude=35.69266981057445", ""},
      {"normal_run.trace", ",\"latitude\":35.69266981057444,\"longitude\":139.75012472663002", "",
       false, 1,
       kEndLine + "outcome=\"shown\"; the replayed calls give end outcome=\"shown\" "
                  "latitude=35.69266981057444",
       ""},
      {"map_never_closes.trace", "\"outcome\":\"message\"",
       "\"outcome\":\"message\",\"latitude\":35.6,\"longitude\":139.7", false, 1,
       kEndLine.substr(0, 29), ""},
      // A cut sits at the bound, after the most bytes a line can fit in.
      {"normal_run.trace", "{\"t\":0,\"op\":\"executable_path\"",
       "{\"t\":0,\"op\":\"cut\",\"limit\":1048576}\n", true, 2,
       "line 2: a cut after 95 bytes, which is not at the recorder's bound of 1048576 bytes", ""},
      {"normal_run.trace", "{\"t\":402,\"op\":\"write",
       "{\"t\":402,\"op\":\"cut\",\"limit\":1048576}\n", true, 2, "line 20: a cut after 1002 bytes",
       ""},
      // What no run records.
      {"normal_run.trace", "{\"t\":0,\"op\":\"open_file\"",
       "{\"t\":0,\"op\":\"ras_connection\"}\n{\"t\":0,\"op\":\"open_file\"", false, 2,
       "line 3: \"ras_connection\" is not in format version 1", ""},
      {"normal_run.trace", "\"text\":\"\\r\\nOK\\r\\n\",\"count\":6",
       "\"text\":\"\\r\\nNG\\r\\n\",\"hex\":\"0d0a4f4b0d0a\",\"count\":6", false, 2,
       "line 22: \"text\" is not what \"hex\" holds in code page 932", ""},
      {"normal_run.trace", "\"text\":\"\\r\\nOK\\r\\n\",\"count\":6",
       "\"text\":\"\\r\\nOK\\r\\n\",\"hex\":\"0d0a4f4b0d0\",\"count\":6", false, 2,
       "line 22: \"hex\" is not an even number of hex digits", ""},
      {"normal_run.trace", "{\"t\":602,", "{\"t\":300,", false, 2,
       "line 22: \"t\" 300 is before the previous line's 402: times never go backwards", ""},
      {"normal_run.trace", "\"count\":5", "\"count\":9223372036854775807", false, 2,
       "line 13: \"count\" 9223372036854775807 is more than the 5 bytes written", ""},
      {"normal_run.trace", "\"text\":\"\",\"count\":0", "\"text\":\"\",\"count\":300", false, 2,
       "line 14: \"count\" 300 is more than the 256 bytes asked", ""},
      {"normal_run.trace", "\"count\":21", "\"count\":20", false, 2,
       "line 17: \"text\" holds 21 bytes and \"count\" says 20", ""},
      {"normal_run.trace", "wait=200", "wait=200" + std::string(300, ' '), false, 2,
       "line 4: a line of 309 bytes is more than the 255 bytes asked", ""},
      {"normal_run.trace", "wait=200", "wait=200" + std::string(9000, ' '), false, 2,
       "line 4: longer than 8192 bytes, more than any line the recorder writes", ""},
      {"zoom_and_clear.trace", "\"bytes\":10", "\"bytes\":11", false, 2,
       "line 45: \"bytes\" 11 is more than the 10 bytes asked", ""},
      // Settings whose loops posrelay-sim does not run are refused, those the
      // replayed launcher reads, not lines past where it departs.
      {"normal_run.trace", "\"wsimcon=100\\n\"", "\"waitloop=2000000\\n\"", false, 2,
       "line 5: waitloop is 2000000, over the 100000 checks or key presses a dry run shows one by "
       "one",
       ""},
      {"normal_run.trace",
       "\\\\posrelay.ini\",\"ok\":true}\n{\"t\":0,\"op\":\"read_line\",\"text\":\"wait=200\\n\"",
       "\\\\other.ini\",\"ok\":true}\n{\"t\":0,\"op\":\"read_line\",\"text\":\"waitloop="
       "2000000\\n\"",
       false, 1,
       "divergence at operation 2 (line 3): recorded open_file "
       "path=\"C:\\\\posrelay\\\\other.ini\"",
       ""},
      // Texts show every backslash, quote and control byte escaped.
      {"normal_run.trace", "\"wait=200\\n\"", "\"wait=200 \\\"\\\\x\\u001b\\u007f\\n\"", false, 0,
       "identical: 39 operations",
       "   0.000     0.000  read_line text=\"wait=200 \\\"\\\\x\\x1B\\x7F\\n\" ok=true"},
      // Bytes that are no characters show as the recording system shows them.
      {"normal_run.trace", "\"text\":\"\\r\\nOK\\r\\n\",\"count\":6",
       "\"text\":\"\\r\\n・・\\r\\n\",\"hex\":\"0d0a81ff0d0a\",\"count\":6", false, 0,
       "identical: 39 operations", ""},
      // Interrupted runs replay as far as their traces go.
      {"no_position.trace", "{\"t\":50747,\"op\":\"quit\"", "", true, 0,
       "ended at the message \"W-SIMからの位置情報取得に失敗しました\", at 50.733 s, as when the "
       "handset is reset while it is shown, after operation 724; identical up to there",
       "end: ended at the message \"W-SIMからの位置情報取得に失敗しました\", at 50.733 s, as when "
       "the handset is reset while it is shown"},
      {"normal_run.trace", "{\"t\":1411,\"op\":\"foreground\",\"win", "", true, 0,
       "the record stops at 1.411 s, with the position 35.692670, 139.750125, after operation 37: "
       "the trace stops without its end line; identical up to there; 1.411 s recorded, 1.400 s "
       "of them the launcher's pauses",
       ""},
      {"normal_run.trace", "{\"t\":1411,\"op\":\"foreground\",\"win", "{\"t\":1411,\"op\":\"fo",
       true, 0,
       "the record stops at 1.411 s, with the position 35.692670, 139.750125, after operation 37: "
       "its last line, line 39, was cut part-way; identical up to there",
       "position  attempt 1 of at most 50 gave N35.41.22 E139.45.12 on the Tokyo datum "
       "(35.689444, 139.753333); on WGS84 35.692670, 139.750125"},
      {"normal_run.trace", "{\"t\":1411,\"op\":\"foreground\",\"win", std::string(9, '\0') + "\n",
       true, 0,
       "the record stops at 1.411 s, with the position 35.692670, 139.750125, after operation 37: "
       "its last line, line 39",
       ""},
      {"normal_run.trace", "{\"t\":402,\"op\":\"write\",\"text\":\"AT@LBC\\r",
       "{\"t\":402,\"op\":\"write\",\"text\":\"AT@LBC1\\r\",\"count\":8}\n", true, 1,
       "divergence at operation 19 (line 20): recorded write text=\"AT@LBC1\\r\" count=8; the "
       "launcher made write handle=258 text=\"AT@LBC\\r\"",
       ""},
      {"normal_run.trace", kEnd, "{\"t\":1411,\"op\":\"qu\n" + kEnd, false, 2,
       "line 40: column 19: syntax error while parsing value - invalid string: missing closing "
       "quote",
       ""},
      // Each line is one flat JSON object; where it is not, the column is
      // where the parse stopped, or the member is named.
      {"normal_run.trace", "\"op\":\"executable_path\"", "\"op\" \"executable_path\"", false, 2,
       "line 2: column 29: syntax error while parsing object separator - unexpected string "
       "literal; expected ':'",
       ""},
      {"normal_run.trace", "{\"t\":0,\"op\":\"executable_path\"",
       " [{\"t\":0,\"op\":\"executable_path\"", false, 2, "line 2: column 2: expected '{'", ""},
      {"normal_run.trace", "{\"t\":0,\"op\":\"executable_path\"",
       "\xEF\xBB\xBF{\"t\":0,\"op\":\"executable_path\"", false, 2,
       "line 2: column 1: expected '{'", ""},
      {"normal_run.trace", "\"ok\":true", "\"ok\":" + std::string(5000, '['), false, 2,
       "line 3: \"ok\": expected a string, number, true, false or null", ""},
      {"normal_run.trace", "\"count\":5", "\"count\":1e999", false, 2,
       "line 13: column 51: number overflow parsing '1e999'", ""},
      // Whole numbers are exact up to 2^53 and more; beyond 64 bits and a
      // sign they are refused.
      {"normal_run.trace", "{\"t\":0,\"op\":\"executable_path\"",
       "{\"t\":9007199254740991,\"op\":\"executable_path\"", false, 2,
       "line 3: \"t\" 0 is before the previous line's 9007199254740991", ""},
      {"normal_run.trace", "{\"t\":0,\"op\":\"executable_path\"",
       "{\"t\":9007199254740993,\"op\":\"executable_path\"", false, 2,
       "line 2: \"t\" is beyond 9007199254740992 ms, which no run reaches", ""},
      {"normal_run.trace", "\"count\":5", "\"count\":-9223372036854775808", false, 2,
       "line 13: \"count\" -9223372036854775808 is below 0", ""},
      {"normal_run.trace", "\"count\":5", "\"count\":-9223372036854775809", false, 2,
       "line 13: \"count\" is out of range", ""},
      {"normal_run.trace", "\"count\":5", "\"count\":18446744073709551615", false, 2,
       "line 13: \"count\" is out of range", ""},
      {"normal_run.trace", "\"count\":5", "\"count\":18446744073709551616", false, 2,
       "line 13: \"count\": number out of range", ""},
      {"normal_run.trace", "\"version\":1", "\"version\":3", false, 2,
       "line 1: format version 3; this posrelay-sim reads versions 1 to 2", ""},
  };
  for (const auto& c : cases) {
    std::string trace = SampleTrace(c.trace);
    const std::size_t at = trace.find(c.find);
    ASSERT_NE(at, std::string::npos) << c.find;
    trace.replace(at, c.tail ? std::string::npos : c.find.size(), c.replace);
    const Replayed replayed = ReplayTrace(trace);
    EXPECT_EQ(replayed.result.status, c.status) << c.trace << " " << c.find << "\n"
                                                << replayed.result.out << replayed.result.err;
    EXPECT_EQ(replayed.verdict.rfind(c.verdict, 0), 0u) << replayed.verdict;
    EXPECT_TRUE(c.line.empty() ||
                replayed.result.out.find("\n" + c.line + "\n") != std::string::npos)
        << c.line << "\n"
        << replayed.result.out;
  }
  // The recorded run drawn as a dry run's chart is, at its recorded times.
  const ToolResult chart = RunTool("--replay '" POSRELAY_SOURCE_DIR
                                   "/samples/traces/v1/zoom_and_clear.trace' --format svg");
  EXPECT_EQ(chart.status, 0);
  EXPECT_NE(chart.out.find("end 2.774 s"), std::string::npos) << chart.out.substr(0, 400);
}

// A trace the recorder cut at its bound: a dry run's lines, which are the
// trace's own, up to where the next one would leave no room for the cut line.
TEST(PosrelaySim, ReplaysATraceCutAtItsBoundAndRefusesWhatNoRecorderWrites) {
  const std::size_t kBound = std::size_t(1) << 20;
  const std::string ini = WriteTemp("waitloop=20000\n");
  const ToolResult run =
      RunTool("--format json --scenario map_never_closes.json --ini '" + ini + "'");
  std::remove(ini.c_str());
  std::string trace = SampleTrace("normal_run.trace");
  trace.resize(trace.find('\n') + 1);
  std::istringstream lines(run.out);
  std::string line;
  while (std::getline(lines, line) && trace.size() + line.size() + 1 + 64 <= kBound) {
    trace += line + "\n";
  }
  const std::string cutAt = nlohmann::json::parse(line)["t"].dump();
  const Replayed cut =
      ReplayTrace(trace + "{\"t\":" + cutAt + ",\"op\":\"cut\",\"limit\":1048576}\n");
  EXPECT_EQ(cut.result.status, 0) << cut.result.err;
  EXPECT_EQ(cut.verdict.rfind("cut: the trace reached its bound after ", 0), 0u) << cut.verdict;
  // Since version 2 the recorder keeps the run's last part past the cut:
  // the beginning replays, and the end is there.
  const std::string zoom = WriteTemp("gzoomtime=25000\n");
  const std::string recorded = zoom + ".trace";
  EXPECT_EQ(RunTool("--ini '" + zoom + "' --record '" + recorded + "'").status, 0);
  const Replayed kept = ReplayTrace(ReadFile(recorded));
  std::remove(zoom.c_str());
  std::remove(recorded.c_str());
  EXPECT_EQ(kept.result.status, 0) << kept.result.err;
  EXPECT_NE(kept.verdict.find(" operations left out and "), std::string::npos) << kept.verdict;
  EXPECT_NE(kept.verdict.find("of the run's last part, to its end"), std::string::npos);
  EXPECT_NE(kept.result.out.find("end: map shown at 35.692670, 139.750125, after 1254.000 s"),
            std::string::npos);
  // The same cut 8 kB earlier is not where the recorder cuts.
  const std::string early = trace.substr(0, trace.rfind('\n', trace.size() - 8192) + 1);
  EXPECT_EQ(
      ReplayTrace(early + "{\"t\":" + cutAt + ",\"op\":\"cut\",\"limit\":1048576}\n").result.status,
      2);
  // A file larger than any trace is refused before it is read.
  const Replayed huge = ReplayTrace(trace + std::string(4 << 20, ' '));
  EXPECT_EQ(huge.result.status, 2);
  EXPECT_EQ(huge.verdict,
            "more than 4194304 bytes: not a posrelay trace, which stops at 1048576\n");
  // Another launcher's trace, of the first format, is replayed with a
  // warning and a note, once each.
  std::string older = SampleTrace("normal_run.trace");
  older.replace(older.find("1.5.0.0"), 7, "1.4.0.0");
  const Replayed warned = ReplayTrace(older);
  EXPECT_EQ(warned.result.status, 0);
  EXPECT_EQ(warned.result.err,
            warned.path +
                ": warning: recorded by posrelay 1.4.0.0; this posrelay-sim replays posrelay " +
                POSRELAY_VERSION_DOTTED +
                ", so a divergence may be a difference between the versions\n" + warned.path +
                ": note: a trace of format version 1 holds no handles, sizes asked, dial-up "
                "listing, error codes, build, system or date: those are not compared or shown\n");
  // The JSON verdict of an interrupted trace.
  const Replayed json =
      ReplayTrace(older.substr(0, older.find("{\"t\":1411,\"op\":\"quit\"")), " --format json");
  EXPECT_EQ(json.verdict.rfind("{\"replay\":\"interrupted\",\"operations\":38,", 0), 0u)
      << json.verdict;
}

// A kept trace of the current format, less its last `dropped` lines.
std::string KeptTrace(const std::string& name, int dropped = 0) {
  std::string trace = ReadFile(std::string(POSRELAY_SOURCE_DIR "/samples/traces/") + name);
  for (int i = 0; i < dropped; ++i) trace.resize(trace.rfind('\n', trace.size() - 2) + 1);
  return trace;
}

// A dry run recorded as a trace, with `arguments` for its handset.
std::string RecordedDryRun(const std::string& arguments) {
  const std::string path = TempPath();
  RunTool(arguments + " --record '" + path + "'");
  const std::string trace = ReadFile(path);
  std::remove(path.c_str());
  return trace;
}

std::string XmlEscaped(const std::string& text) {
  std::string escaped;
  for (char c : text) escaped += c == '"' ? std::string("&quot;") : std::string(1, c);
  return escaped;
}

// Every way a run can end, told alike by the summary's end line, the
// chart's caption, the page's verdict and the replay's JSON, in both
// languages; the chart never says "map shown" for a map not shown. The page
// tells it once: its headline; the details under it and the page's summary
// add only what the headline lacks, and a record that stops without its end
// says what that most likely means and what to do.
TEST(PosrelaySim, EveryEndOfARunIsToldAsItWasInEveryOutput) {
  const std::string kShownEn = "map shown at 35.692670, 139.750125, after ";
  const std::string kShownJa =
      "で地図を表示して終わりました（北緯 35.692670 度、東経 139.750125 度）";
  const std::string kSameEn = "Replayed exactly as recorded: ";
  const std::string kSameJa = "記録どおりに再現できました。";
  const std::string kPartEn = "Identical as far as the trace goes: ";
  const std::string kPartJa = "記録のあるところまでは記録どおりです。";
  const std::string kMeaningEn =
      " Most likely the trace was copied only in part, or the handset was reset or switched off "
      "during the run: copy posrelay.trace from the handset again, and if it still stops short, "
      "run posrelay once more.";
  const std::string kMeaningJa =
      "記録ファイルのコピーが途中で止まったか、実行中に端末がリセットされたか電源が切れたと考えられ"
      "ます。端末から posrelay.trace をもう一度コピーしてください。それでも途切れているときは、"
      "posrelay をもう一度実行してください。";
  const std::string zoom = WriteTemp("gzoomtime=25000\n");
  const std::string cutToEnd = RecordedDryRun("--ini '" + zoom + "'");
  std::remove(zoom.c_str());
  std::string cutShort = cutToEnd;
  for (int i = 0; i < 3; ++i) cutShort.resize(cutShort.rfind('\n', cutShort.size() - 2) + 1);
  const struct {
    const char* name;
    std::string trace;
    const char* kind;  // the replay's JSON "end"
    std::string english;
    std::string japanese;
    std::string headlineEnglish;  // the page's verdict, before the end
    std::string headlineJapanese;
    bool meaning;     // the headline says what a record cut short means
    bool reachesEnd;  // the chart's end line is the run's, else where the record stops
    const char* seconds;
    const char* secondsJapanese;
  } cases[] = {
      {"shown", KeptTrace("normal_run.trace"), "shown", kShownEn + "1.560 s", "1.6 秒" + kShownJa,
       kSameEn, kSameJa, false, true, "1.560 s", "1.6 秒"},
      {"message without a position", KeptTrace("map_never_closes.trace"), "message",
       "message \"モバイル Google マップの停止でタイムアウトしました\", after 2.401 s",
       "2.4 秒でメッセージ「モバイル Google "
       "マップの停止でタイムアウトしました」を表示して終わりました",
       kSameEn, kSameJa, false, true, "2.401 s", "2.4 秒"},
      {"message with a position", RecordedDryRun("--scenario map_does_not_start.json"), "message",
       "message \"モバイル Google マップの起動に失敗しました\", position 35.692670, 139.750125, "
       "after 3.000 s",
       "3 秒でメッセージ「モバイル Google マップの起動に失敗しました」を表示して終わりました"
       "（位置は北緯 35.692670 度、東経 139.750125 度）",
       kSameEn, kSameJa, false, true, "3.000 s", "3 秒"},
      {"interrupted before a position", KeptTrace("interrupted.trace"), "interrupted",
       "the record stops at 7.459 s, before any position",
       "記録は 7.5 秒で途切れています（位置はまだ取れていません）", kPartEn, kPartJa, true, false,
       "7.459 s", "7.5 秒"},
      {"interrupted with a position", KeptTrace("normal_run.trace", 2), "interrupted",
       "the record stops at 1.560 s, with the position 35.692670, 139.750125",
       "記録は 1.6 秒で途切れています（位置は北緯 35.692670 度、東経 139.750125 度）", kPartEn,
       kPartJa, true, false, "1.560 s", "1.6 秒"},
      {"ended at the message", KeptTrace("map_never_closes.trace", 2), "endedAtMessage",
       "ended at the message \"モバイル Google マップの停止でタイムアウトしました\", at 2.319 s, "
       "as when the handset is reset while it is shown",
       "メッセージ「モバイル Google "
       "マップの停止でタイムアウトしました」の表示中に記録が終わっています"
       "（2.3 秒。表示中に端末をリセットしたときなど）",
       kPartEn, kPartJa, false, false, "2.319 s", "2.3 秒"},
      {"cut, its last part to the end", cutToEnd, "cut",
       kShownEn + "1254.000 s; the trace reached its bound, so only the run's beginning and its "
                  "last part are kept",
       "約 20 分 54 秒" + kShownJa +
           "。記録ファイルが上限の大きさに達したため、実行の最初と最後の部分だけが残っています",
       kPartEn, kPartJa, false, true, "1254.000 s", "約 20 分 54 秒"},
      {"cut, its last part short of the end", cutShort, "cut",
       "the trace reached its bound, so its middle is left out and the record stops at 1254.000 "
       "s, short of the run's end",
       "記録ファイルが上限の大きさに達したため途中が省かれ、記録は実行の終わりまで残っていません"
       "（約 20 分 54 秒まで）",
       kPartEn, kPartJa, false, false, "1254.000 s", "約 20 分 54 秒"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordedTrace trace;
    ReplayResult result;
    std::string problem;
    ASSERT_TRUE(ReadTrace(c.trace, trace, problem)) << problem;
    ASSERT_TRUE(ReplayTrace(trace, result, problem)) << problem;
    EXPECT_FALSE(result.diverged);
    EXPECT_EQ(nlohmann::json::parse(LastLine(FormatReplayJson(trace, result)))["end"], c.kind);
    EXPECT_EQ(FormatReplayResultJson(trace, result), LastLine(FormatReplayJson(trace, result)));
    for (const ReportLanguage language : {kEnglish, kJapanese}) {
      const bool english = language == kEnglish;
      const std::string& end = english ? c.english : c.japanese;
      EXPECT_EQ(LastLine(FormatReplaySummary(trace, language)),
                (english ? "end: " : "終わり: ") + end + "\n");
      const std::string chart = FormatReplaySvg(trace, language);
      EXPECT_NE(chart.find("class=\"caption\">" + XmlEscaped(end) + "</text>"), std::string::npos);
      const std::string seconds = english ? c.seconds : c.secondsJapanese;
      const std::string runEnd = (english ? ">end " : ">実行の終わり ") + seconds;
      const std::string recordStops = (english ? ">record stops " : ">記録の終わり ") + seconds;
      EXPECT_EQ(chart.find(runEnd) != std::string::npos, c.reachesEnd);
      EXPECT_EQ(chart.find(recordStops) != std::string::npos, !c.reachesEnd);
      EXPECT_EQ(chart.find("map shown") != std::string::npos,
                english && end.find("map shown") != std::string::npos);
      const std::string meaning = c.meaning ? (english ? kMeaningEn : kMeaningJa) : "";
      EXPECT_EQ(FormatReplayHeadline(trace, result, language),
                (english ? c.headlineEnglish : c.headlineJapanese) + end + (english ? "." : "。") +
                    meaning);
      // Once: none of the rest of the page repeats it.
      for (const std::string& rest : {FormatReplayDetails(trace, result, language),
                                      FormatReplaySummary(trace, language, false),
                                      chart.substr(0, chart.find("class=\"caption\""))}) {
        EXPECT_EQ(rest.find(XmlEscaped(end)), std::string::npos) << rest;
      }
    }
  }
}

// The numbers an SVG gives `attribute` in each element that starts with `start`.
std::vector<double> SvgNumbers(const std::string& svg, const std::string& start,
                               const std::string& attribute) {
  std::vector<double> numbers;
  for (std::size_t at = svg.find(start); at != std::string::npos; at = svg.find(start, at + 1)) {
    const std::size_t value = svg.find(attribute + "=\"", at);
    if (value < svg.find('>', at))
      numbers.push_back(std::stod(svg.substr(value + attribute.size() + 2)));
  }
  return numbers;
}

// The attempts the summary counts, from its English position line.
int SummaryAttempts(const std::string& summary) {
  for (const char* before : {"position  attempt ", "none in ", "at attempt "}) {
    const std::size_t at = summary.find(before);
    if (at != std::string::npos) return std::stoi(summary.substr(at + std::strlen(before)));
  }
  return 0;
}

// A text of the chart as laid out: its box, near enough.
struct ChartText {
  double left, right, top, bottom;
  std::string text;
};

std::vector<ChartText> ChartTexts(const std::string& svg) {
  std::vector<ChartText> texts;
  for (std::size_t at = svg.find("<text "); at != std::string::npos;
       at = svg.find("<text ", at + 1)) {
    const std::size_t open = svg.find('>', at);
    const std::string tag = svg.substr(at, open - at);
    const std::string text = svg.substr(open + 1, svg.find("</text>", open) - open - 1);
    const double size = tag.find("caption") != std::string::npos         ? 14
                        : tag.find("attemptnumber") != std::string::npos ? 10
                                                                         : 12;
    const double width = 7.5 * size / 12 * static_cast<double>(DisplayWidth(text));
    const double x = SvgNumbers(tag, "<text", "x")[0];
    const double y = SvgNumbers(tag, "<text", "y")[0];
    const double left = tag.find("\"end\"") != std::string::npos      ? x - width
                        : tag.find("\"middle\"") != std::string::npos ? x - width / 2
                                                                      : x;
    texts.push_back(ChartText{left, left + width, y - size * 0.8, y + size * 0.2, text});
  }
  return texts;
}

// Every sample trace, whole and cut to its first half of bytes as an
// interrupted copy leaves it, drawn in both languages: the summary counts
// the attempts the chart marks; the chart draws nothing past its end line,
// no text over another and only the lanes' names in the lanes; in Japanese
// every mark tells what happened, never the raw record.
TEST(PosrelaySim, ChartsOfEverySampleTraceAndItsFirstHalfReadAsTheirSummaries) {
  for (const char* name :
       {"interrupted.trace", "map_never_closes.trace", "no_position.trace", "normal_run.trace",
        "several_connections.trace", "zoom_and_clear.trace"}) {
    const std::string whole = KeptTrace(name);
    for (const std::string& bytes : {whole, whole.substr(0, whole.size() / 2)}) {
      SCOPED_TRACE(std::string(name) + ", " + std::to_string(bytes.size()) + " bytes");
      RecordedTrace trace;
      std::string problem;
      ASSERT_TRUE(ReadTrace(bytes, trace, problem)) << problem;
      const std::string summary = FormatReplaySummary(trace, kEnglish);
      const bool stopsShort = bytes.size() < whole.size();
      EXPECT_EQ(summary.find("none in ") == std::string::npos || !stopsShort, true) << summary;
      for (const ReportLanguage language : {kEnglish, kJapanese}) {
        const std::string chart = FormatReplaySvg(trace, language);
        const std::string drawn = chart.substr(0, chart.find("<g class=\"legend\">"));
        EXPECT_EQ(SvgNumbers(drawn, "<line class=\"attempt\"", "x1").size(),
                  static_cast<std::size_t>(SummaryAttempts(summary)))
            << summary;
        const double end = SvgNumbers(drawn, "<line class=\"end\"", "x1").at(0);
        for (const char* mark : {"<circle ", "<path "}) {
          const std::string attribute = mark[1] == 'c' ? "cx" : "d";
          for (std::size_t at = drawn.find(mark); at != std::string::npos;
               at = drawn.find(mark, at + 1)) {
            const std::size_t value = drawn.find(attribute + "=\"", at) + attribute.size() + 2;
            EXPECT_LE(std::stod(drawn.substr(value + (mark[1] == 'p' ? 1 : 0))) + 6, end + 0.05)
                << drawn.substr(at, 200);
          }
        }
        const std::vector<double> pauses = SvgNumbers(drawn, "<rect class=\"pause\"", "x");
        const std::vector<double> widths = SvgNumbers(drawn, "<rect class=\"pause\"", "width");
        for (std::size_t i = 0; i < pauses.size(); ++i)
          EXPECT_LE(pauses[i] + widths[i], end + 0.05);
        const double lanesTop = SvgNumbers(drawn, "<rect class=\"lane\"", "y").at(0);
        const double axis = SvgNumbers(drawn, "<line class=\"axis\"", "y1").at(0);
        const std::vector<ChartText> texts = ChartTexts(chart);
        for (std::size_t i = 0; i < texts.size(); ++i) {
          const ChartText& a = texts[i];
          const bool inLanes = a.bottom > lanesTop && a.top < axis;
          EXPECT_TRUE(!inLanes || a.left == 10 || a.text.size() <= 2) << a.text;
          for (std::size_t j = i + 1; j < texts.size(); ++j) {
            const ChartText& b = texts[j];
            const bool apart =
                a.right <= b.left || b.right <= a.left || a.bottom <= b.top || b.bottom <= a.top;
            EXPECT_TRUE(apart) << a.text << " over " << b.text;
          }
        }
        if (language != kJapanese) continue;
        for (std::size_t at = chart.find("<title>"); at != std::string::npos;
             at = chart.find("<title>", at + 1)) {
          const std::string title = chart.substr(at, chart.find("</title>", at) - at);
          for (int op = 0; op < kTraceOpCount; ++op) {
            const std::string opName = TraceOpName(static_cast<TraceOp>(op));
            EXPECT_EQ(title.find(opName + " "), std::string::npos) << title;
          }
        }
      }
    }
  }
}

std::size_t Occurrences(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
    ++count;
  }
  return count;
}

// A run that zooms and clears for twenty minutes, its trace cut at the
// recorder's bound of 1 MiB, some 19,000 operations: its chart has no more
// marks than a screen shows, each standing for those less than a pixel
// apart, and still every phase, every lane and the end.
TEST(PosrelaySim, AMegabyteTraceIsChartedAsAScreenShowsIt) {
  const std::string zoom = WriteTemp("gzoomtime=25000\n");
  const std::string recorded = RecordedDryRun("--ini '" + zoom + "'");
  std::remove(zoom.c_str());
  RecordedTrace trace;
  std::string problem;
  ASSERT_TRUE(ReadTrace(recorded, trace, problem)) << problem;
  ASSERT_GT(trace.operations.Size() + trace.tail.Size(), 19000u);
  Timeline timeline;
  for (const TraceRecord* part : {&trace.operations, &trace.tail}) {
    for (const TraceEvent& event : part->Events()) {
      if (event.op != kOpEnd) timeline.Take(*part, event);
    }
  }
  const std::vector<RunPhase> phases = PhasesOf(timeline);
  std::size_t phaseBands = 1;
  for (std::size_t i = 1; i < phases.size(); ++i) phaseBands += phases[i] != phases[i - 1];

  const std::string chart = FormatReplaySvg(trace, kEnglish);
  const std::size_t elements = Occurrences(chart, "<") - Occurrences(chart, "</");
  EXPECT_LE(elements, 4000u) << elements;
  EXPECT_EQ(Occurrences(chart, "<rect class=\"phase"), phaseBands);
  EXPECT_EQ(Occurrences(chart, "<rect class=\"lane\""), 4u);
  for (int lane = 0; lane < kLaneCount; ++lane) {
    EXPECT_NE(chart.find(">" + std::string(ChartLaneName(static_cast<ChartLane>(lane))) + "<"),
              std::string::npos);
  }
  const std::string drawn = chart.substr(0, chart.find("<g class=\"legend\">"));
  EXPECT_EQ(Occurrences(drawn, "<line class=\"end\""), 1u);
  EXPECT_NE(chart.find(">end 1254.000 s<"), std::string::npos);
  EXPECT_NE(chart.find("operations too close to draw apart"), std::string::npos);
}

// A file picked as a trace that is none, or a trace whose settings loop
// more often than a replay runs, is refused in its owner's words, with its
// line; the English keeps the detail after them.
TEST(PosrelaySim, RefusedFilesAreToldInTheOwnersWords) {
  std::string newer = KeptTrace("normal_run.trace");
  newer.replace(newer.find("\"version\":2"), 11, "\"version\":3");
  std::string damaged = KeptTrace("normal_run.trace");
  damaged.replace(damaged.find("\"op\":\"sleep\""), 12, "\"op\":\"sleep");
  std::string loops = KeptTrace("normal_run.trace");
  loops.replace(loops.find("\"wsimcon=100\\n\""), 15, "\"waitloop=2000000\\n\"");
  const struct {
    const char* name;
    std::string bytes;
    std::string english;  // the start of the English
    std::string japanese;
  } cases[] = {
      {"empty", "", "The file is empty: it is not a posrelay trace. (line 1: the file is empty",
       "ファイルが空です。posrelay の実行記録ではありません。"},
      {"too large", std::string((4 << 20) + 1, '\n'),
       "The file is larger than any trace (more than 4194304 bytes)",
       "ファイルが大きすぎます（4194304 バイトを超えています）。posrelay "
       "の実行記録ではありません。"},
      {"no trace", "{\"hello\":1}\n",
       "This file is not a posrelay trace: its first line is not a trace's. (line 1: ",
       "このファイルは posrelay の実行記録ではありません（1 "
       "行目が実行記録の始まりではありません）。"},
      {"a settings file", ReadFile(POSRELAY_SOURCE_DIR "/samples/ja/posrelay.ini"),
       "This is a settings file (posrelay.ini), not a trace: pick posrelay.trace. (line 1: ",
       "これは設定ファイル（posrelay.ini）で、実行記録ではありません。posrelay.trace "
       "を選んでください。"},
      {"a newer format", newer,
       "This trace is of a newer format (version 3) than this version of posrelay reads (up to 2).",
       "この実行記録は新しい形式（バージョン 3）のため読めません（読めるのはバージョン 2 "
       "まで）。"},
      {"a damaged line", damaged,
       "Line 10 of the trace is damaged, so it cannot be replayed. (line 10: column ",
       "実行記録の 10 行目が壊れているため、再生できません。"},
      {"settings that loop too often", loops,
       "The settings this trace records (line 5) ask for more than 100000 checks of the map "
       "window or key presses, more than a replay makes. (line 5: waitloop is 2000000",
       "この記録の設定（5 行目）では、地図アプリの画面を確かめる回数かキーを押す回数が 100000 "
       "を超えるため、再生できません。"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    RecordedTrace trace;
    ReplayResult result;
    std::string error;
    const bool read = ReadTrace(c.bytes, trace, error);
    ASSERT_FALSE(read && ReplayTrace(trace, result, error));
    const auto told = [&](ReportLanguage language) {
      return read ? ReplayRefusalText(result, error, language)
                  : TraceRefusalText(trace, c.bytes, error, language);
    };
    EXPECT_EQ(told(kEnglish).rfind(c.english, 0), 0u) << told(kEnglish);
    EXPECT_EQ(told(kJapanese), c.japanese);
  }
}

// Traces that another version of the launcher recorded in the current
// format (samples/traces) replay as they would had this version recorded
// them: the same verdict, status and operations, only the header's version
// and one warning that names it differ.
TEST(PosrelaySim, ReplaysAnotherLaunchersTraceAsItsOwnWithAWarning) {
  for (const char* name :
       {"interrupted.trace", "map_never_closes.trace", "no_position.trace", "normal_run.trace",
        "several_connections.trace", "zoom_and_clear.trace"}) {
    SCOPED_TRACE(name);
    const std::string recorded =
        ReadFile(std::string(POSRELAY_SOURCE_DIR "/samples/traces/") + name);
    const std::string version =
        nlohmann::json::parse(recorded.substr(0, recorded.find('\n')))["launcher"];
    ASSERT_NE(version, POSRELAY_VERSION_DOTTED);
    const std::string field = "\"launcher\":\"" + version + "\"";
    std::string own = recorded;
    own.replace(own.find(field), field.size(), "\"launcher\":\"" POSRELAY_VERSION_DOTTED "\"");

    const Replayed theirs = ReplayTrace(recorded);
    const Replayed ours = ReplayTrace(own);
    EXPECT_EQ(theirs.result.status, ours.result.status);
    EXPECT_NE(theirs.result.status, 2) << theirs.result.err;
    EXPECT_EQ(theirs.verdict, ours.verdict);
    std::string out = theirs.result.out;
    const std::string header = "a run of posrelay " + version + " ";
    ASSERT_EQ(out.rfind(header, 0), 0u) << out.substr(0, out.find('\n'));
    out.replace(0, header.size(), "a run of posrelay " POSRELAY_VERSION_DOTTED " ");
    EXPECT_EQ(out, ours.result.out);
    EXPECT_EQ(ours.result.err, "");
    EXPECT_EQ(theirs.result.err,
              theirs.path + ": warning: recorded by posrelay " + version +
                  "; this posrelay-sim replays posrelay " POSRELAY_VERSION_DOTTED
                  ", so a divergence may be a difference between the versions\n");
  }
}

// Each scenario, the default handset and one that gives what the defaults
// leave out: printed, read back and printed again, the same text, and a dry
// run on the printed one is the original's.
TEST(PosrelaySim, PrintedScenarioReadsBackAsTheSameHandset) {
  const std::string ownHandles = WriteTemp(
      "{\"map\": {\"closesAfterMs\": null, \"appearsAfterMs\": null}, \"missingFunctions\": "
      "[\"RasHangUp\", \"RasEnumConnections\"], \"connections\": [{\"handle\": 0}, "
      "{\"name\": \"\\u0000\\\"\", \"handle\": 4294967295}], \"module\": {\"port\": \"COM3:\", "
      "\"positionReplies\": []}, \"internet\": {\"opens\": false, \"bytes\": 0}, "
      "\"faults\": [{\"fault\": \"probeReadFails\", \"call\": 3}, "
      "{\"fault\": \"serialReadZeroByte\", \"value\": 2}]}");
  std::vector<std::string> scenarios = {"", "'" + ownHandles + "'"};
  for (const char* name : {"busy_handset.json", "map_does_not_start.json", "map_never_closes.json",
                           "map_shows_no_window.json", "name_after_zero_byte.json", "offline.json",
                           "slow_module_no_position.json"}) {
    scenarios.push_back(Data(name));
  }
  for (const std::string& scenario : scenarios) {
    SCOPED_TRACE(scenario);
    const std::string given = scenario.empty() ? "" : "--scenario " + scenario + " ";
    const ToolResult printed = RunTool(given + "--print-scenario");
    ASSERT_EQ(printed.status, 0) << printed.err;
    const std::string path = WriteTemp(printed.out);
    const ToolResult again = RunTool("--scenario '" + path + "' --print-scenario");
    const ToolResult original = RunTool(given + "--format json");
    const ToolResult reread = RunTool("--scenario '" + path + "' --format json");
    std::remove(path.c_str());
    EXPECT_EQ(again.out, printed.out);
    EXPECT_EQ(reread.out, original.out);
    EXPECT_EQ(reread.status, original.status);
  }
  const ToolResult handles = RunTool("--scenario '" + ownHandles + "' --print-scenario");
  std::remove(ownHandles.c_str());
  for (const char* field : {"\"handle\": 0}", "\"handle\": 4294967295}", "\"closesAfterMs\": null",
                            "{\"fault\": \"probeReadFails\", \"call\": 3}"}) {
    EXPECT_NE(handles.out.find(field), std::string::npos) << handles.out;
  }
  EXPECT_NE(handles.out.find("\"missingFunctions\": [\"RasEnumConnections\", \"RasHangUp\"]"),
            std::string::npos);
}

// What --answer-module answers: one line per command ended, with the reply
// the scenario's module gives, as text and bytes.
struct Answer {
  std::string command;
  std::string reply;
  std::string hex;
};

std::vector<Answer> AnswersTo(const std::string& given, const std::string& bytes, int& status) {
  const std::string input = WriteTemp(bytes);
  const ToolResult result = RunTool(given + "--answer-module <'" + input + "'");
  std::remove(input.c_str());
  status = result.status;
  std::vector<Answer> answers;
  for (const nlohmann::json& line : JsonLines(result.out)) {
    answers.push_back(
        {line.value("command", "?"), line.value("reply", "?"), line.value("hex", "?")});
  }
  return answers;
}

// Every command of each scenario's dry run gets from --answer-module what
// the dry run read after it.
TEST(PosrelaySim, AnsweredModuleRepliesAsTheDryRunsModule) {
  for (const std::string& scenario :
       {std::string(), Data("busy_handset.json"), Data("map_never_closes.json"),
        Data("name_after_zero_byte.json"), Data("offline.json"),
        Data("slow_module_no_position.json")}) {
    SCOPED_TRACE(scenario);
    const std::string given = scenario.empty() ? "" : "--scenario " + scenario + " ";
    std::vector<Answer> expected;
    std::string written;
    for (const nlohmann::json& line : JsonLines(RunTool(given + "--format json").out)) {
      if (line["op"] == "write") {
        written += line["text"].get<std::string>();
        expected.push_back({line["text"], "", ""});
      } else if (line["op"] == "read" && !expected.empty()) {
        expected.back().reply += line["text"].get<std::string>();
      }
    }
    int status = -1;
    const std::vector<Answer> answers = AnswersTo(given, written, status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(answers.size(), expected.size());
    for (std::size_t i = 0; i < answers.size(); ++i) {
      EXPECT_EQ(answers[i].command, expected[i].command) << i;
      EXPECT_EQ(answers[i].reply, expected[i].reply) << i;
    }
  }
}

TEST(PosrelaySim, AnsweredModuleFramesEachCommandAndNeedsAPort) {
  const struct {
    const char* scenario;  // its JSON; empty: the default handset
    const char* input;
    int status;
    std::vector<std::vector<std::string> > answers;  // command, reply, hex
  } cases[] = {
      // A command is answered once its carriage return arrives, whatever
      // came before it; an unknown one gets OK, an unended one nothing.
      {"",
       "AT\rI4\rATI4\rAT@LBC?\rATZ",
       0,
       {{"AT\r", "\r\nOK\r\n", "0d0a4f4b0d0a"},
        {"I4\r", "\r\nOK\r\n", "0d0a4f4b0d0a"},
        {"ATI4\r", "\r\nRX410\r\n\r\nOK\r\n", "0d0a52583431300d0a0d0a4f4b0d0a"},
        {"AT@LBC?\r", "\r\n@LBC: N35.41.22,E139.45.12\r\n\r\nOK\r\n",
         "0d0a404c42433a204e33352e34312e32322c453133392e34352e31320d0a0d0a4f4b0d0a"}}},
      // Replies in order, the last repeating; none given: OK; a reply the
      // module does not give is an empty line's worth, not a missing line.
      {"{\"module\": {\"identification\": \"\", \"positionReplies\": [\"1\", \"位\"]}}",
       "ATI4\rAT@LBC?\rAT@LBC?\rAT@LBC?\r",
       0,
       {{"ATI4\r", "", ""},
        {"AT@LBC?\r", "1", "31"},
        {"AT@LBC?\r", "位", "88ca"},
        {"AT@LBC?\r", "位", "88ca"}}},
      {"{\"module\": {\"positionReplies\": []}}",
       "AT@LBC?\r",
       0,
       {{"AT@LBC?\r", "\r\nOK\r\n", "0d0a4f4b0d0a"}}},
      {"{\"module\": {\"portExists\": false}}", "ATI4\r", 2, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const std::string path = WriteTemp(c.scenario);
    int status = -1;
    const std::vector<Answer> answers =
        AnswersTo(*c.scenario ? "--scenario '" + path + "' " : "", c.input, status);
    std::remove(path.c_str());
    EXPECT_EQ(status, c.status);
    ASSERT_EQ(answers.size(), c.answers.size());
    for (std::size_t i = 0; i < answers.size(); ++i) {
      EXPECT_EQ(answers[i].command, c.answers[i][0]) << i;
      EXPECT_EQ(answers[i].reply, c.answers[i][1]) << i;
      EXPECT_EQ(answers[i].hex, c.answers[i][2]) << i;
    }
  }
}

}  // namespace
