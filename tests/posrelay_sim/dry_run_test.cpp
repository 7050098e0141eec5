// posrelay-sim's dry runs, run as a process: each handset's run in every
// output, the help and what the tool refuses to run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "check/dry_run_limits.h"
#include "reports/vocabulary_json.h"
#include "tests/posrelay_sim/tool_run.h"
#include "tests/test_helpers.h"
#include "trace/trace_operations.h"

namespace {

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

}  // namespace
