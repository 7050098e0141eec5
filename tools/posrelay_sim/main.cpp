// posrelay-sim: runs the launcher on the simulated handset and shows what it
// does, or checks a posrelay.ini the way the launcher reads it.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <optional>
#include <string>

#include "app/launch_sequence.h"
#include "platform/sim/simulated_handset.h"
#include "tools/posrelay_sim/replay_report.h"
#include "tools/posrelay_sim/run_report.h"
#include "tools/posrelay_sim/scenario_loader.h"
#include "tools/posrelay_sim/settings_check.h"
#include "tools/posrelay_sim/svg_timeline.h"
#include "tools/posrelay_sim/text_timeline.h"
#include "tools/posrelay_sim/trace_reader.h"
#include "tools/posrelay_sim/trace_replay.h"

namespace {

const char kUsage[] =
    "usage: posrelay-sim [--ini FILE] [--scenario FILE] [--format text|json|svg]\n"
    "       posrelay-sim --check FILE [--format text|json]\n"
    "       posrelay-sim --replay FILE [--format text|json|svg]\n"
    "       posrelay-sim --help\n";

const char kHelp[] =
    "\n"
    "Runs the launcher once on a simulated handset with a virtual clock and prints\n"
    "every operation it makes, with the virtual time it makes it at.\n"
    "\n"
    "  --ini FILE        the bytes of posrelay.ini beside the launcher\n"
    "                    (without it there is no settings file: defaults hold)\n"
    "  --scenario FILE   the handset, in JSON (without it: the default handset)\n"
    "  --format text     a heading for each phase, aligned lines with times in\n"
    "                    seconds, and a summary (default)\n"
    "  --format json     one JSON object per line: {\"t\":ms,\"op\":...}, ending\n"
    "                    with {\"t\":ms,\"op\":\"end\",\"outcome\":\"shown\"|\"message\",\n"
    "                    \"latitude\":...,\"longitude\":...} (position when one was had)\n"
    "  --format svg      a timeline chart (SVG) with a lane for the map, the data\n"
    "                    connection, the module and the internet and keys\n"
    "Exit status: 0 after a normal end, 1 after one of the launcher's messages,\n"
    "2 for bad usage or a file that cannot be read. Settings with a waitloop or\n"
    "gzoomtime over 100000 are not run: every loop of the launcher is printed.\n"
    "\n"
    "  --check FILE      reads FILE as the launcher reads posrelay.ini and prints\n"
    "                    each setting's value and the line that set it, warnings\n"
    "                    about lines that do not do what they seem to, and the\n"
    "                    shortest and longest time a run can take with it;\n"
    "                    with --format json, all of it as one JSON object.\n"
    "Exit status: 0 without warnings, 1 with warnings, 2 when FILE cannot be read.\n"
    "\n"
    "  --replay FILE     plays a trace of a real run (posrelay.trace) back to the\n"
    "                    launcher: each call must be the next recorded operation\n"
    "                    with the same arguments and gets the recorded results.\n"
    "                    Prints each operation with its recorded time beside the\n"
    "                    time the launcher's own pauses account for, then whether\n"
    "                    the operations are identical and how much of the run's\n"
    "                    time lay beyond the pauses, or the first divergence;\n"
    "                    with --format svg, the recorded run as a chart.\n"
    "Exit status: 0 identical (up to the cut of a trace that reached its bound,\n"
    "or up to the message of a trace whose run was reset while it was shown),\n"
    "1 for a divergence, 2 for a file that is missing, malformed, truncated, of\n"
    "another format version or recorded in a code page other than 932, with its\n"
    "line named.\n"
    "\n"
    "A scenario lists only what differs from the default handset, shown here with\n"
    "every field at its default; an unknown field is an error.\n"
    "\n"
    "  {\n"
    "    \"map\": {\"running\": false, \"closesAfterMs\": 0,\n"
    "            \"executableExists\": true, \"appearsAfterMs\": 0},\n"
    "    \"rasLibrary\": true,\n"
    "    \"missingFunctions\": [],\n"
    "    \"connections\": [{\"name\": \"CLUB AIR-EDGE\", \"hangUpSucceeds\": true}],\n"
    "    \"module\": {\"port\": \"COM1:\", \"portExists\": true,\n"
    "               \"identification\": \"\\r\\nRX410\\r\\n\\r\\nOK\\r\\n\",\n"
    "               \"positionReplies\": [\"\\r\\n@LBC: "
    "N35.41.22,E139.45.12\\r\\n\\r\\nOK\\r\\n\"]},\n"
    "    \"internet\": {\"opens\": true, \"reachable\": true, \"bytes\": 10},\n"
    "    \"registryKeyExists\": true\n"
    "  }\n"
    "\n"
    "map.running: a map window exists at the start. closesAfterMs: virtual time\n"
    "after the close request until the window is gone (null: never).\n"
    "appearsAfterMs: virtual time after a start until the window is there (null:\n"
    "never). executableExists false: the start fails. connections: the active\n"
    "dial-up connections in order; one may also give \"handle\": 0. rasLibrary\n"
    "false: coredll.dll does not load; missingFunctions: names it does not export.\n"
    "identification: the module's reply to ATI4 (\"\" when it has not answered).\n"
    "positionReplies: the replies to the first, second, ... AT@LBC?, the last one\n"
    "repeating; every other command is answered \"\\r\\nOK\\r\\n\". internet.opens\n"
    "false: no internet handle; reachable false: the page does not open; bytes:\n"
    "what the page yields.\n";

struct Options {
  std::optional<std::string> ini;
  std::optional<std::string> scenario;
  std::optional<std::string> check;
  std::optional<std::string> replay;
  std::optional<std::string> format;
  bool help = false;
};

int Problem(std::string& problem, const std::string& text) {
  problem = text;
  return 0;
}

int ParseOptions(int argc, char** argv, Options& options, std::string& problem) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      options.help = true;
      continue;
    }
    std::optional<std::string>* target = nullptr;
    if (option == "--ini") target = &options.ini;
    if (option == "--scenario") target = &options.scenario;
    if (option == "--check") target = &options.check;
    if (option == "--replay") target = &options.replay;
    if (option == "--format") target = &options.format;
    if (!target) return Problem(problem, "unknown option \"" + option + "\"");
    if (i + 1 == argc) return Problem(problem, option + " needs a value");
    if (target->has_value()) return Problem(problem, option + " given twice");
    *target = argv[++i];
  }
  if (options.format && *options.format != "text" && *options.format != "json" &&
      *options.format != "svg") {
    return Problem(problem, "--format takes text, json or svg, not \"" + *options.format + "\"");
  }
  if (options.check &&
      (options.ini || options.scenario || options.replay || options.format == "svg")) {
    return Problem(problem, "--check takes no --ini, --scenario, --replay or --format svg");
  }
  if (options.replay && (options.ini || options.scenario)) {
    return Problem(problem, "--replay takes no --ini or --scenario: the trace holds them");
  }
  return 1;
}

int ReadWholeFile(const std::string& path, std::string& bytes, std::string& problem) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return Problem(problem, std::strerror(errno));
  char buffer[4096];
  std::size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) bytes.append(buffer, count);
  const bool failed = std::ferror(file);
  if (failed) problem = std::strerror(errno);
  std::fclose(file);
  return failed ? 0 : 1;
}

int Fail(const std::string& line) {
  std::cerr << line << "\n";
  return 2;
}

int CheckSettings(const std::string& path, bool json) {
  std::string bytes;
  std::string problem;
  if (!ReadWholeFile(path, bytes, problem)) return Fail(path + ": cannot be read: " + problem);
  const SettingsCheck check = CheckSettingsFile(bytes);
  std::cout << (json ? FormatSettingsCheckJson(check) : FormatSettingsCheck(check, path));
  return check.warnings.empty() ? 0 : 1;
}

int Replay(const std::string& path, const std::optional<std::string>& format) {
  std::string bytes;
  std::string problem;
  if (!ReadWholeFile(path, bytes, problem)) return Fail(path + ": cannot be read: " + problem);
  RecordedTrace trace;
  ReplayResult result;
  if (!ReadTrace(bytes, trace, problem) || !ReplayTrace(trace, result, problem)) {
    return Fail(path + ": " + problem);
  }
  if (format == "json") {
    std::cout << FormatReplayJson(trace, result);
  } else if (format == "svg") {
    std::cout << FormatReplaySvg(trace);
  } else {
    std::cout << FormatReplayText(trace, result);
  }
  return result.diverged ? 1 : 0;
}

int RunOnce(const Options& options) {
  HandsetScenario scenario;
  std::string problem;
  if (options.scenario) {
    std::string json;
    if (!ReadWholeFile(*options.scenario, json, problem)) {
      return Fail(*options.scenario + ": cannot be read: " + problem);
    }
    if (!LoadScenario(json, scenario, problem)) return Fail(*options.scenario + ": " + problem);
  }
  if (options.ini) {
    std::string bytes;
    if (!ReadWholeFile(*options.ini, bytes, problem)) {
      return Fail(*options.ini + ": cannot be read: " + problem);
    }
    const std::string tooMany = TooManyLoops(CheckSettingsFile(bytes).settings);
    if (!tooMany.empty()) return Fail(*options.ini + ": " + tooMany);
    scenario.settingsFile = bytes;
  }
  SimulatedHandset handset(scenario);
  RunLaunchSequence(handset);
  const RunSummary summary = SummariseRun(handset);
  const Timeline& timeline = handset.GetTimeline();
  if (options.format == "json") {
    std::cout << FormatJsonTimeline(timeline, summary);
  } else if (options.format == "svg") {
    std::cout << FormatSvgTimeline(timeline, summary);
  } else {
    std::cout << FormatTextTimeline(timeline, summary);
  }
  return summary.message ? 1 : 0;
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  std::string problem;
  if (!ParseOptions(argc, argv, options, problem)) {
    std::cerr << "posrelay-sim: " << problem << " (see posrelay-sim --help)\n";
    return 2;
  }
  if (options.help) {
    std::cout << kUsage << kHelp;
    return 0;
  }
  if (options.check) return CheckSettings(*options.check, options.format == "json");
  if (options.replay) return Replay(*options.replay, options.format);
  return RunOnce(options);
}
