// posrelay-sim --replay, run as a process, and the reports of a replay:
// recorded runs replayed, their verdicts, charts and refusals.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "check/display_text.h"
#include "replay/run_phases.h"
#include "replay/trace_reader.h"
#include "replay/trace_replay.h"
#include "reports/replay_report.h"
#include "reports/run_texts.h"
#include "reports/trace_refusal.h"
#include "shell/res/version.h"
#include "tests/posrelay_sim/tool_run.h"
#include "tests/test_helpers.h"
#include "trace/trace_operations.h"

namespace {

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

}  // namespace
