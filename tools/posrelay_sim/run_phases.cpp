#include "tools/posrelay_sim/run_phases.h"

#include <algorithm>
#include <string>
#include <string_view>

#include "position/position_query.h"
#include "simulator/text_encoding.h"

namespace {

bool IsOneOf(std::string_view op, std::initializer_list<const char*> ops) {
  return std::any_of(ops.begin(), ops.end(),
                     [&](const char* candidate) { return op == candidate; });
}

// The earliest phase an operation can belong to; `reached` is the phase of
// the events before it, which tells a look for the map before the position
// from one after it.
RunPhase PhaseOf(std::string_view op, RunPhase reached) {
  if (IsOneOf(op, {"executable_path", "open_file", "read_line", "close_file"})) {
    return kPhaseSettings;
  }
  if (IsOneOf(op, {"load_library", "find_function", "ras_enumerate", "ras_hang_up",
                   "release_library"})) {
    return kPhaseConnection;
  }
  if (IsOneOf(op, {"open_device", "write", "read", "close_device"})) return kPhaseModule;
  if (IsOneOf(op, {"internet_open", "internet_set_option", "open_url", "internet_read",
                   "internet_close", "registry_open", "registry_set", "registry_close", "pre_key",
                   "key", "post_key"})) {
    return kPhaseZoomAndClear;
  }
  const bool afterPosition = reached >= kPhaseConnection;
  if (IsOneOf(op, {"find_window", "foreground", "create_process"})) {
    return afterPosition ? kPhaseMapStart : kPhaseMap;
  }
  // The close request comes before the position, the clear command after it.
  if (op == "post_message") return afterPosition ? kPhaseZoomAndClear : kPhaseMap;
  return reached;
}

}  // namespace

const char* RunPhaseName(RunPhase phase) {
  static const char* const kNames[] = {"settings", "map",       "connection",
                                       "module",   "map start", "zoom and clear"};
  return kNames[phase];
}

std::vector<RunPhase> PhasesOf(const Timeline& timeline) {
  std::vector<RunPhase> phases;
  RunPhase reached = kPhaseSettings;
  for (const TraceEvent& event : timeline.Operations().Events()) {
    reached = std::max(reached, PhaseOf(event.op, reached));
    phases.push_back(reached);
  }
  return phases;
}

std::vector<int> AttemptStartsOf(const Timeline& timeline) {
  const std::string opening = WideToUtf8(kAttemptOpeningCommand);
  const TraceRecord& record = timeline.Operations();
  const std::vector<TraceEvent>& events = record.Events();
  std::vector<int> starts(events.size(), 0);
  int attempt = 0;
  for (std::size_t i = 0; i < events.size(); ++i) {
    const TraceField* text = record.FindField(events[i], "text");
    if (std::string_view(events[i].op) != "write" || !text || record.Text(*text) != opening) {
      continue;
    }
    std::size_t first = i;
    while (first > 0 && std::string_view(events[first - 1].op) == "sleep") --first;
    starts[first] = ++attempt;
  }
  return starts;
}
