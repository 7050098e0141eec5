// The owner's page calls posrelay-sim's parts through these functions. Each
// takes the bytes of the file the owner picked, as they would lie on the
// handset, and answers with one JSON object in UTF-8, valid until the next
// call.
#include <emscripten/emscripten.h>

#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "app/launch_sequence.h"
#include "check/dry_run_limits.h"
#include "check/run_time_bounds.h"
#include "check/seconds_text.h"
#include "check/settings_check.h"
#include "replay/trace_reader.h"
#include "replay/trace_replay.h"
#include "reports/replay_report.h"
#include "reports/run_end.h"
#include "reports/run_report.h"
#include "reports/svg_timeline.h"
#include "reports/text_timeline.h"
#include "reports/trace_refusal.h"
#include "scenario/scenario_loader.h"
#include "simulator/cp932_readings.h"
#include "simulator/simulated_handset.h"

namespace {

using Json = nlohmann::ordered_json;

// The page's language, "ja" or "en".
ReportLanguage PageLanguage(const char* language) {
  return std::string(language) == "ja" ? kJapanese : kEnglish;
}

std::string answer;

const char* Answer(const std::string& json) {
  answer = json;
  return answer.c_str();
}

const char* Answer(const Json& json) {
  return Answer(json.dump(-1, ' ', false, Json::error_handler_t::replace));
}

const char* Problem(const std::string& problem) { return Answer(Json{{"problem", problem}}); }

// A report without its first line: the page gives the summary a heading of
// its own.
std::string AfterFirstLine(const std::string& text) {
  const std::string::size_type end = text.find('\n');
  return end == std::string::npos ? std::string() : text.substr(end + 1);
}

std::string Bytes(const char* bytes, int size) {
  return size > 0 ? std::string(bytes, static_cast<std::size_t>(size)) : std::string();
}

// The check of the file picked last: the dry runs of one pick read it once.
const SettingsCheck& Checked(const std::string& file, ReportLanguage language) {
  static std::string checkedFile;
  static std::unique_ptr<SettingsCheck> check;
  if (!check || check->language != language || checkedFile != file) {
    check = std::make_unique<SettingsCheck>(CheckSettingsFile(file, language));
    checkedFile = file;
  }
  return *check;
}

// The run and the replay shown last, whose lists of every operation are
// made only when the owner opens them.
struct ShownDryRun {
  std::unique_ptr<SimulatedHandset> handset;
  RunSummary summary;
  ReportLanguage language = kJapanese;
} shownDryRun;

struct ShownReplay {
  RecordedTrace trace;
  ReplayResult result;
  ReportLanguage language = kJapanese;
  bool shown = false;
} shownReplay;

}  // namespace

extern "C" {

// posrelay-sim --check --format json, its warnings in the page's language,
// "ja" or "en", with its run times as the check's report writes them:
// "runTime": {"shortest", "shortestNormalEnd" (null for none), "longest"},
// and "runTimeRows": [{"label", "value", "assumption"}], the report's lines.
EMSCRIPTEN_KEEPALIVE const char* posrelay_check(const char* bytes, int size, const char* language) {
  const ReportLanguage report = PageLanguage(language);
  const SettingsCheck& check = Checked(Bytes(bytes, size), report);
  const RunTimeBounds bounds = ComputeRunTimeBounds(check.settings);
  Json answer = Json::parse(FormatSettingsCheckJson(check));
  Json& runTime = answer["runTime"];
  runTime["shortest"] = DurationText(bounds.shortestMs, report);
  runTime["shortestNormalEnd"] = bounds.shortestNormalEndMs
                                     ? Json(DurationText(*bounds.shortestNormalEndMs, report))
                                     : Json(nullptr);
  runTime["longest"] = DurationText(bounds.longestMs, report);
  for (const RunTimeRow& row : RunTimeRows(check)) {
    answer["runTimeRows"].push_back(
        Json{{"label", row.label}, {"value", row.value}, {"assumption", row.assumption}});
  }
  return Answer(answer);
}

// How long the check takes a handset's map to start or close, in ms: the
// page's slow map takes as long.
EMSCRIPTEN_KEEPALIVE int posrelay_handset_map_ms() { return static_cast<int>(kHandsetMapMs); }

// A dry run of the settings file on the handset a scenario describes, told
// in the page's language: {"svg", "summary" (without its heading),
// "mapPlace" (where the run takes the map to be, in sentences), "message"
// (null on a normal end), "end" (RunEndKindName's), "totalMs"}, or
// {"problem"} for a scenario or settings a dry run does not run. Its list
// of every operation is posrelay_dry_run_operations'.
EMSCRIPTEN_KEEPALIVE const char* posrelay_dry_run(const char* bytes, int size,
                                                  const char* scenarioJson, const char* language) {
  HandsetScenario scenario;
  std::string problem;
  if (!LoadScenario(scenarioJson, scenario, problem)) return Problem("scenario: " + problem);
  scenario.settingsFile = Bytes(bytes, size);
  const ReportLanguage report = PageLanguage(language);
  shownDryRun.handset.reset();
  const SettingsCheck& check = Checked(*scenario.settingsFile, report);
  if (!DryRunAccepts(check.settings, report, problem)) return Problem(problem);
  const std::string mapPlace = PlaceMap(check, scenario);
  shownDryRun.handset = std::make_unique<SimulatedHandset>(scenario);
  SimulatedHandset& handset = *shownDryRun.handset;
  RunLaunchSequence(handset);
  const RunSummary& summary = shownDryRun.summary = SummariseRun(handset);
  shownDryRun.language = report;
  const Timeline& timeline = handset.GetTimeline();
  Json run;
  run["svg"] = FormatSvgTimeline(timeline, summary, report);
  run["summary"] = AfterFirstLine(FormatSummaryText(timeline, summary, report));
  run["mapPlace"] = mapPlace;
  run["message"] = summary.message ? Json(*summary.message) : Json(nullptr);
  run["end"] = RunEndKindName(summary.end.kind);
  run["totalMs"] = summary.totalMs;
  return Answer(run);
}

// posrelay-sim --replay, told in the page's language: {"headline" (the
// verdict in a sentence with how the run ended), "verdict" (the details
// the headline lacks), "result" (the last line of --format json, parsed),
// "svg", "summary" (without its heading, and without the end, which the
// headline tells), "origin" (where and when the run was recorded, by which
// launcher)}, or {"problem"} for a file that is not a trace it replays, in
// the owner's words with its line. Its report of every operation is
// posrelay_replay_operations'.
EMSCRIPTEN_KEEPALIVE const char* posrelay_replay(const char* bytes, int size,
                                                 const char* language) {
  const ReportLanguage report = PageLanguage(language);
  const std::string file = Bytes(bytes, size);
  shownReplay = ShownReplay();
  RecordedTrace& trace = shownReplay.trace;
  ReplayResult& result = shownReplay.result;
  std::string problem;
  if (!ReadTrace(file, trace, problem)) {
    return Problem(TraceRefusalText(trace, file, problem, report));
  }
  if (!ReplayTrace(trace, result, problem)) {
    return Problem(ReplayRefusalText(result, problem, report));
  }
  Json replay;
  replay["headline"] = FormatReplayHeadline(trace, result, report);
  replay["verdict"] = FormatReplayDetails(trace, result, report);
  replay["result"] = Json::parse(FormatReplayResultJson(trace, result));
  replay["svg"] = FormatReplaySvg(trace, report);
  replay["summary"] = AfterFirstLine(FormatReplaySummary(trace, report, false));
  replay["origin"] = FormatReplayOrigin(trace, report);
  shownReplay.language = report;
  shownReplay.shown = true;
  return Answer(replay);
}

// The list of every operation of the dry run shown last, as posrelay-sim
// prints it; empty when none is shown.
EMSCRIPTEN_KEEPALIVE const char* posrelay_dry_run_operations() {
  if (!shownDryRun.handset) return Answer(std::string());
  return Answer(FormatTextTimeline(shownDryRun.handset->GetTimeline(), shownDryRun.summary,
                                   shownDryRun.language));
}

// The report of the replay shown last, every operation with its recorded
// time, as posrelay-sim --replay prints it; empty when none is shown.
EMSCRIPTEN_KEEPALIVE const char* posrelay_replay_operations() {
  if (!shownReplay.shown) return Answer(std::string());
  return Answer(FormatReplayText(shownReplay.trace, shownReplay.result, shownReplay.language));
}

// Code page 932 as the page reads and writes it, every code on a line of
// its own: {"readings"}, for the page's test to compare with Python's codec.
EMSCRIPTEN_KEEPALIVE const char* posrelay_cp932_readings() {
  return Answer(Json{{"readings", ListCp932Readings()}});
}
}
