#include "replay/run_phases.h"

#include <algorithm>
#include <string>

#include "position/position_query.h"
#include "simulator/text_encoding.h"
#include "trace/trace_operations.h"

namespace {

// The phase an operation begins, as the vocabulary gives it; `reached` is
// the phase of the events before it, which tells a look for the map before
// the position from one after it.
RunPhase PhaseOf(TraceOp op, RunPhase reached) {
  const TraceOperationShape& shape = TraceOperationOf(op);
  const RunPhase phase = reached >= kPhaseConnection ? shape.phaseLater : shape.phase;
  return phase == kPhaseWhereItComes ? reached : phase;
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
    const TraceField* text = record.FindField(events[i], kFieldText);
    if (events[i].op != kOpWrite || !text || record.Text(*text) != opening) {
      continue;
    }
    std::size_t first = i;
    while (first > 0 && events[first - 1].op == kOpSleep) --first;
    starts[first] = ++attempt;
  }
  return starts;
}
