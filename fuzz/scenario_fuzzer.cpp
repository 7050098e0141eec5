// Arbitrary bytes as a posrelay-sim scenario: the loader either gives a
// handset within its limits, on which a whole run ends properly, or an error
// that names a field of the file and what is wrong with it.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <iterator>
#include <nlohmann/json.hpp>
#include <string>
#include <string_view>

#include "app/launch_sequence.h"
#include "check/run_time_bounds.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_handset.h"
#include "scenario/scenario_loader.h"
#include "settings/launcher_settings.h"
#include "simulator/handset_scenario.h"

namespace {

using Json = nlohmann::json;

const std::uint64_t kLongestDelayMs = std::uint64_t(1) << 62;

bool StartsWith(std::string_view text, std::string_view prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

// Whether `problem` can be said of `value`.
bool ProblemFits(const Json& value, std::string_view problem) {
  if (problem == "unknown field") return true;
  if (problem == "expected an object") return !value.is_object();
  if (problem == "expected an array") return !value.is_array();
  if (problem == "expected true or false") return !value.is_boolean();
  if (problem == "expected a string") return !value.is_string();
  if (problem == "expected UTF-8 text") return value.is_string();
  if (problem == "unknown fault") {
    return value.is_string() && std::find(std::begin(kFaultNames), std::end(kFaultNames),
                                          value.get<std::string>()) == std::end(kFaultNames);
  }
  const std::string_view countFromOne = "expected an integer from 1 to ";
  if (StartsWith(problem, countFromOne)) {
    const std::string limit(problem.substr(countFromOne.size()));
    return !value.is_number_unsigned() || value.get<std::uint64_t>() == 0 ||
           value.get<std::uint64_t>() > std::stoull(limit);
  }
  const std::string_view integer = "expected an integer from 0 to ";
  const std::string_view delay = "expected null or an integer from 0 to ";
  const bool isDelay = StartsWith(problem, delay);
  if (!isDelay && !StartsWith(problem, integer)) return false;
  if (isDelay && value.is_null()) return false;
  const std::string limit(problem.substr(isDelay ? delay.size() : integer.size()));
  return !value.is_number_unsigned() || value.get<std::uint64_t>() > std::stoull(limit);
}

// Whether `rest` (a field path, ": " and a problem) leads from `value` to a
// member of the document that has that problem. Member names may hold any
// character, so every member whose name fits is tried.
bool PathFits(const Json& value, std::string_view rest, bool topLevel) {
  if (StartsWith(rest, ": ") && !topLevel) return ProblemFits(value, rest.substr(2));
  if (value.is_object() && (topLevel || StartsWith(rest, "."))) {
    const std::string_view names = topLevel ? rest : rest.substr(1);
    // A member the object lacks: "name: missing".
    const std::string_view missing = ": missing";
    if (names.size() > missing.size() && names.substr(names.size() - missing.size()) == missing &&
        !value.contains(std::string(names.substr(0, names.size() - missing.size())))) {
      return true;
    }
    for (const auto& [name, member] : value.items()) {
      if (StartsWith(names, name) && PathFits(member, names.substr(name.size()), false)) {
        return true;
      }
    }
    return false;
  }
  if (value.is_array() && StartsWith(rest, "[")) {
    const std::size_t close = rest.find(']');
    if (close == std::string_view::npos || close == 1 || close > 20) return false;
    std::size_t index = 0;
    for (char digit : rest.substr(1, close - 1)) {
      if (digit < '0' || digit > '9') return false;
      index = index * 10 + static_cast<std::size_t>(digit - '0');
    }
    return index < value.size() && PathFits(value[index], rest.substr(close + 1), false);
  }
  return false;
}

void CheckRejection(std::string_view json, const std::string& error,
                    const HandsetScenario& scenario) {
  FUZZ_CHECK(!scenario.map.running && scenario.connections.size() == 1);
  const std::string_view malformed = "malformed JSON: ";
  if (!Json::accept(json)) {
    FUZZ_CHECK(StartsWith(error, malformed) && error.size() > malformed.size());
    return;
  }
  Json document;
  try {
    document = Json::parse(json);
  } catch (const Json::out_of_range&) {
    // The grammar holds, but a number does not fit in a double.
    FUZZ_CHECK(StartsWith(error, "malformed JSON: number overflow parsing "));
    return;
  }
  if (!document.is_object()) {
    FUZZ_CHECK(error == "top level: expected an object");
    return;
  }
  FUZZ_CHECK(PathFits(document, error, true));
}

void CheckAcceptance(const HandsetScenario& scenario) {
  const HandsetScenario defaults;
  FUZZ_CHECK(scenario.executablePath == defaults.executablePath);
  FUZZ_CHECK(!scenario.settingsFile);
  FUZZ_CHECK(!scenario.map.closesAfterMs || *scenario.map.closesAfterMs <= kLongestDelayMs);
  FUZZ_CHECK(!scenario.map.appearsAfterMs || *scenario.map.appearsAfterMs <= kLongestDelayMs);
  FUZZ_CHECK(scenario.internet.bytes >= 0);

  // What the dry-run tool does next: a whole run on that handset.
  SimulatedHandset& handset = HandsetFor(scenario);
  RunLaunchSequence(handset);
  const TraceRecord& operations = handset.GetTimeline().Operations();
  FUZZ_CHECK(handset.QuitCode() == 0);
  FUZZ_CHECK(handset.GetTimeline().Count(kOpQuit) == 1);
  FUZZ_CHECK(operations.Event(operations.Size() - 1).op == kOpQuit);
  FUZZ_CHECK(handset.Ledger().Unreleased().empty());
  FUZZ_CHECK(handset.Ledger().Faults().empty());
  FUZZ_CHECK(handset.Messages().size() <= 1);
  LauncherSettings settings;
  SetDefaultSettings(settings);
  const RunTimeBounds bounds = ComputeRunTimeBounds(settings);
  FUZZ_CHECK(handset.NowMs() >= bounds.shortestMs && handset.NowMs() <= bounds.longestMs);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view json(reinterpret_cast<const char*>(data), size);
  HandsetScenario scenario;
  std::string error;
  if (LoadScenario(json, scenario, error)) {
    FUZZ_CHECK(error.empty());
    CheckAcceptance(scenario);
  } else {
    CheckRejection(json, error, scenario);
  }
  return 0;
}
