// posrelay-sim: runs the launcher on the simulated handset and shows what it
// does, or checks a posrelay.ini the way the launcher reads it.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iostream>
#include <optional>
#include <sstream>
#include <string>

#include "app/launch_sequence.h"
#include "check/dry_run_limits.h"
#include "check/settings_check.h"
#include "replay/trace_reader.h"
#include "replay/trace_replay.h"
#include "reports/replay_report.h"
#include "reports/run_report.h"
#include "reports/svg_timeline.h"
#include "reports/text_timeline.h"
#include "reports/vocabulary_json.h"
#include "scenario/module_answers.h"
#include "scenario/scenario_loader.h"
#include "scenario/scenario_writer.h"
#include "shell/res/version.h"
#include "simulator/simulated_handset.h"
#include "trace/trace_writer.h"

namespace {

const char kUsage[] =
    "usage: posrelay-sim [--ini FILE] [--scenario FILE] [--format text|json|svg]\n"
    "                    [--record TRACE]\n"
    "       posrelay-sim --check FILE [--format text|json]\n"
    "       posrelay-sim --replay FILE [--format text|json|svg]\n"
    "       posrelay-sim [--scenario FILE] --print-scenario\n"
    "       posrelay-sim [--scenario FILE] --answer-module\n"
    "       posrelay-sim --print-vocabulary\n"
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
    "  --record TRACE    also writes the run as the device's recorder writes\n"
    "                    posrelay.trace, for --replay: traces of any handset\n"
    "Exit status: 0 after a normal end, 1 after one of the launcher's messages,\n"
    "2 for bad usage or a file that cannot be read. Settings with a waitloop or\n"
    "gzoomtime over ";

// After the most loops posrelay-sim runs.
const char kHelpAfterLoops[] =
    " are not run: every loop of the launcher is printed.\n"
    "\n"
    "  --check FILE      reads FILE as the launcher reads posrelay.ini and prints\n"
    "                    each setting's value and the line that set it, warnings\n"
    "                    about lines that do not do what they seem to, and the\n"
    "                    shortest and longest time a run can take with it;\n"
    "                    with --format json, all of it as one JSON object.\n"
    "Exit status: 0 without warnings, 1 with warnings, 2 when FILE cannot be read\n"
    "(with --format json, then {\"file\":...,\"error\":...} on standard output).\n"
    "\n"
    "  --replay FILE     plays a trace of a real run (posrelay.trace) back to the\n"
    "                    launcher: each call must be the next recorded operation\n"
    "                    with the same arguments and gets the recorded results.\n"
    "                    Prints each operation with its recorded time beside the\n"
    "                    time the launcher's own pauses account for, then\n"
    "                    a summary as a dry run's, and whether the operations and\n"
    "                    the end line are identical and how much of the run's\n"
    "                    time lay beyond the pauses, or the first divergence;\n"
    "                    with --format svg, the recorded run as a chart.\n"
    "Exit status: 0 identical (up to the cut of a trace that reached its bound,\n"
    "or as far as an interrupted trace goes: one without its end line, perhaps\n"
    "with its last line cut part-way), 1 for a divergence, 2 for a file that is\n"
    "missing, malformed, of another format version, recorded in a code page\n"
    "other than 932 or holding what no run records, with its line named.\n"
    "\n"
    "Texts for people (not JSON) are in Japanese when LC_ALL, LC_MESSAGES or LANG\n"
    "(the first one set) starts with \"ja\": the dry run's and the replay's text\n"
    "and chart, and the check's report.\n"
    "\n"
    "  --print-scenario  prints the handset, the default one or FILE's, as a\n"
    "                    scenario with every field given, laid out as below:\n"
    "                    read back with --scenario, it is the same handset.\n"
    "  --answer-module   the handset's module, for a simulator of it: reads the\n"
    "                    bytes written to its port on standard input and, for\n"
    "                    each command as its carriage return arrives, writes\n"
    "                    {\"command\":...,\"reply\":...,\"hex\":...} and a line end:\n"
    "                    the command and the module's reply, as text and in hex.\n"
    "  --print-vocabulary  prints the trace's vocabulary as JSON: the format's\n"
    "                    name, version and limits, and each operation under its\n"
    "                    key (\"CreateProcess\") with its name in the trace, the\n"
    "                    version that brought it, its phase, its lane on the\n"
    "                    chart and its fields.\n"
    "Exit status: 0, or 2 for a scenario that cannot be read (with\n"
    "--answer-module also for a module that has no port).\n"
    "\n"
    "A scenario lists only what differs from the default handset, shown here with\n"
    "every field at its default; an unknown field is an error.\n"
    "\n";

// After the default handset, which the help shows as --print-scenario does.
const char kScenarioHelp[] =
    "\n"
    "map.running: a map window exists at the start. closesAfterMs: virtual time\n"
    "after the close request until the window is gone (null: never).\n"
    "appearsAfterMs: virtual time after a start until the window is there (null:\n"
    "never). executableExists false: the start fails. installedAt: the path a\n"
    "start finds the map at (null: the one gpath names, as its author meant it;\n"
    "a half-width blank at the end of the path started is taken as dropped).\n"
    "connections: the active dial-up connections in order; one may also give\n"
    "\"handle\": 0. rasLibrary false: coredll.dll does not load;\n"
    "missingFunctions: names it does not export.\n"
    "identification: the module's reply to ATI4 (\"\" when it has not answered).\n"
    "positionReplies: the replies to the first, second, ... AT@LBC?, the last one\n"
    "repeating; every other command is answered \"\\r\\nOK\\r\\n\". internet.opens\n"
    "false: no internet handle; reachable false: the page does not open; bytes:\n"
    "what the page yields. faults: system calls that fail or lie, each\n"
    "{\"fault\": name, \"value\": n, \"call\": n}; docs/posrelay-sim.md lists them.\n";

struct Options {
  std::optional<std::string> ini;
  std::optional<std::string> scenario;
  std::optional<std::string> check;
  std::optional<std::string> replay;
  std::optional<std::string> record;
  std::optional<std::string> format;
  bool help = false;
  bool printScenario = false;
  bool answerModule = false;
  bool printVocabulary = false;
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
    if (option == "--print-vocabulary") {
      if (options.printVocabulary) return Problem(problem, option + " given twice");
      options.printVocabulary = true;
      continue;
    }
    if (option == "--print-scenario" || option == "--answer-module") {
      bool& mode = option == "--print-scenario" ? options.printScenario : options.answerModule;
      if (mode) return Problem(problem, option + " given twice");
      mode = true;
      continue;
    }
    std::optional<std::string>* target = nullptr;
    if (option == "--ini") target = &options.ini;
    if (option == "--scenario") target = &options.scenario;
    if (option == "--check") target = &options.check;
    if (option == "--replay") target = &options.replay;
    if (option == "--record") target = &options.record;
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
  if (options.record && (options.check || options.replay)) {
    return Problem(problem, "--record goes with a dry run, not with --check or --replay");
  }
  if (options.replay && (options.ini || options.scenario)) {
    return Problem(problem, "--replay takes no --ini or --scenario: the trace holds them");
  }
  if ((options.printScenario || options.answerModule) &&
      (options.printScenario == options.answerModule || options.ini || options.check ||
       options.replay || options.record || options.format)) {
    return Problem(problem, "--print-scenario and --answer-module each take --scenario alone");
  }
  if (options.printVocabulary &&
      (options.printScenario || options.answerModule || options.ini || options.scenario ||
       options.check || options.replay || options.record || options.format)) {
    return Problem(problem, "--print-vocabulary takes no other option");
  }
  return 1;
}

// Reads the file, or of a file larger than `most`, one byte more than that.
int ReadWholeFile(const std::string& path, std::string& bytes, std::string& problem,
                  std::size_t most = std::string().max_size() - 1) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return Problem(problem, std::strerror(errno));
  char buffer[4096];
  std::size_t count;
  while (bytes.size() <= most && (count = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    bytes.append(buffer, std::min(count, most + 1 - bytes.size()));
  }
  const bool failed = std::ferror(file);
  if (failed) problem = std::strerror(errno);
  std::fclose(file);
  return failed ? 0 : 1;
}

int Fail(const std::string& line) {
  std::cerr << line << "\n";
  return 2;
}

// The language of what posrelay-sim tells people, by the messages locale.
ReportLanguage LanguageOfEnvironment() {
  return LanguageOfLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

int CheckSettings(const std::string& path, bool json) {
  std::string bytes;
  std::string problem;
  if (!ReadWholeFile(path, bytes, problem)) {
    if (!json) return Fail(path + ": cannot be read: " + problem);
    std::cout << FormatUnreadableFileJson(path, "cannot be read: " + problem);
    return 2;
  }
  const SettingsCheck check = CheckSettingsFile(bytes, LanguageOfEnvironment());
  std::cout << (json ? FormatSettingsCheckJson(check) : FormatSettingsCheck(check, path));
  return check.warnings.empty() ? 0 : 1;
}

int Replay(const std::string& path, const std::optional<std::string>& format) {
  std::string bytes;
  std::string problem;
  // No more than a trace can hold is read, whatever the file's size.
  if (!ReadWholeFile(path, bytes, problem, kLargestTraceFileBytes)) {
    return Fail(path + ": cannot be read: " + problem);
  }
  RecordedTrace trace;
  ReplayResult result;
  if (!ReadTrace(bytes, trace, problem) || !ReplayTrace(trace, result, problem)) {
    return Fail(path + ": " + problem);
  }
  if (trace.launcher != POSRELAY_VERSION_DOTTED) {
    std::cerr << path << ": warning: recorded by posrelay " << trace.launcher
              << "; this posrelay-sim replays posrelay " << POSRELAY_VERSION_DOTTED
              << ", so a divergence may be a difference between the versions\n";
  }
  if (trace.version < kTraceFormatVersion) {
    std::cerr << path << ": note: a trace of format version " << trace.version
              << " holds no handles, sizes asked, dial-up listing, error codes, build, system"
                 " or date: those are not compared or shown\n";
  }
  if (format == "json") {
    std::cout << FormatReplayJson(trace, result);
  } else if (format == "svg") {
    std::cout << FormatReplaySvg(trace, LanguageOfEnvironment());
  } else {
    std::cout << FormatReplayText(trace, result, LanguageOfEnvironment());
  }
  return result.diverged ? 1 : 0;
}

// A trace file written as the device writes posrelay.trace.
class TraceFileOutput : public TraceOutput {
 public:
  explicit TraceFileOutput(const std::string& path) : file_(path, std::ios::binary) {}
  int Append(const char* bytes, std::size_t count) override {
    file_.write(bytes, static_cast<std::streamsize>(count));
    return file_.good() ? 1 : 0;
  }
  int Flush() override { return file_.flush().good() ? 1 : 0; }

 private:
  std::ofstream file_;
};

// The simulated handset's run, which its recorder has recorded, as a trace:
// its operations and its end line, through the device's writer.
int RecordTrace(SimulatedHandset& handset, const std::string& path) {
  TraceFileOutput output(path);
  TraceOrigin origin;
  origin.system = kTraceSystemSimulated;
  origin.launcherVersion = POSRELAY_VERSION_DOTTED;
  origin.build = "posrelay-sim";
  origin.os = "simulated handset";
  const std::time_t now = std::time(nullptr);
  char started[24];
  std::strftime(started, sizeof started, "%Y-%m-%dT%H:%M:%S", std::localtime(&now));
  origin.started = started;
  origin.codePage = kTraceCodePage;
  TraceWriter writer(output, origin);
  handset.Finish();
  const TraceRecord& operations = handset.GetTimeline().Operations();
  for (std::size_t i = 0; i < operations.Size(); ++i) writer.Take(operations, operations.Event(i));
  writer.WriteOut();
  return output.Flush();
}

// The handset of --scenario, or the default one; 0 once it has said why not.
int ReadScenarioOption(const Options& options, HandsetScenario& scenario) {
  std::string json;
  std::string problem;
  if (!options.scenario) return 1;
  if (!ReadWholeFile(*options.scenario, json, problem)) {
    Fail(*options.scenario + ": cannot be read: " + problem);
    return 0;
  }
  if (!LoadScenario(json, scenario, problem)) {
    Fail(*options.scenario + ": " + problem);
    return 0;
  }
  return 1;
}

std::string Indented(const std::string& lines) {
  std::istringstream in(lines);
  std::string indented;
  for (std::string line; std::getline(in, line);) indented += "  " + line + "\n";
  return indented;
}

int PrintScenario(const Options& options) {
  HandsetScenario scenario;
  if (!ReadScenarioOption(options, scenario)) return 2;
  std::cout << WriteScenario(scenario);
  return 0;
}

int AnswerModuleOption(const Options& options) {
  HandsetScenario scenario;
  std::string problem;
  if (!ReadScenarioOption(options, scenario)) return 2;
  return AnswerModule(scenario, stdin, stdout, problem) ? 0 : Fail("posrelay-sim: " + problem);
}

int RunOnce(const Options& options) {
  HandsetScenario scenario;
  std::string problem;
  if (!ReadScenarioOption(options, scenario)) return 2;
  std::string bytes;
  if (options.ini && !ReadWholeFile(*options.ini, bytes, problem)) {
    return Fail(*options.ini + ": cannot be read: " + problem);
  }
  // Without a file the launcher reads none: its defaults are an empty file's.
  const SettingsCheck check = CheckSettingsFile(bytes, LanguageOfEnvironment());
  if (!DryRunAccepts(check.settings, check.language, problem)) {
    return Fail(*options.ini + ": " + problem);
  }
  if (options.ini) scenario.settingsFile = bytes;
  const std::string mapPlace = PlaceMap(check, scenario);
  SimulatedHandset handset(scenario);
  RunLaunchSequence(handset);
  const RunSummary summary = SummariseRun(handset);
  const Timeline& timeline = handset.GetTimeline();
  if (options.format == "json") {
    std::cout << FormatJsonTimeline(timeline, summary);
  } else if (options.format == "svg") {
    std::cout << FormatSvgTimeline(timeline, summary, LanguageOfEnvironment());
  } else {
    std::cout << mapPlace << FormatTextTimeline(timeline, summary, LanguageOfEnvironment());
  }
  if (options.record && !RecordTrace(handset, *options.record)) {
    return Fail(*options.record + ": cannot be written");
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
    std::cout << kUsage << kHelp << kMostLoops << kHelpAfterLoops
              << Indented(WriteScenario(HandsetScenario())) << kScenarioHelp;
    return 0;
  }
  if (options.printVocabulary) {
    std::cout << FormatVocabularyJson();
    return 0;
  }
  if (options.printScenario) return PrintScenario(options);
  if (options.answerModule) return AnswerModuleOption(options);
  if (options.check) return CheckSettings(*options.check, options.format == "json");
  if (options.replay) return Replay(*options.replay, options.format);
  return RunOnce(options);
}
