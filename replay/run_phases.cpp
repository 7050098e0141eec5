#include "replay/run_phases.h"

#include <algorithm>
#include <string>

#include "position/position_query.h"
#include "simulator/text_encoding.h"
#include "trace/trace_operations.h"

namespace {

// Each operation's place, in TraceOp's order.
const OperationPlace kPlaces[] = {
    {kOpExecutablePath, kPhaseSettings, kPhaseSettings, kNoLane},
    {kOpOpenFile, kPhaseSettings, kPhaseSettings, kNoLane},
    {kOpReadLine, kPhaseSettings, kPhaseSettings, kNoLane},
    {kOpCloseFile, kPhaseSettings, kPhaseSettings, kNoLane},
    {kOpOpenDevice, kPhaseModule, kPhaseModule, kLaneModule},
    {kOpWrite, kPhaseModule, kPhaseModule, kLaneModule},
    {kOpRead, kPhaseModule, kPhaseModule, kLaneModule},
    {kOpCloseDevice, kPhaseModule, kPhaseModule, kLaneModule},
    {kOpSleep, kPhaseWhereItComes, kPhaseWhereItComes, kLaneOfPhase},
    {kOpFindWindow, kPhaseMap, kPhaseMapStart, kLaneMap},
    {kOpForeground, kPhaseMap, kPhaseMapStart, kLaneMap},
    {kOpPostMessage, kPhaseMap, kPhaseZoomAndClear, kLaneMap},
    {kOpCreateProcess, kPhaseMap, kPhaseMapStart, kLaneMap},
    {kOpKey, kPhaseZoomAndClear, kPhaseZoomAndClear, kLaneInternetAndKeys},
    {kOpPreKey, kPhaseZoomAndClear, kPhaseZoomAndClear, kLaneInternetAndKeys},
    {kOpPostKey, kPhaseZoomAndClear, kPhaseZoomAndClear, kLaneInternetAndKeys},
    {kOpRegistryOpen, kPhaseZoomAndClear, kPhaseZoomAndClear, kLaneInternetAndKeys},
    {kOpRegistrySet, kPhaseZoomAndClear, kPhaseZoomAndClear, kLaneInternetAndKeys},
    {kOpRegistryClose, kPhaseZoomAndClear, kPhaseZoomAndClear, kLaneInternetAndKeys},
    {kOpLoadLibrary, kPhaseConnection, kPhaseConnection, kLaneConnection},
    {kOpFindFunction, kPhaseConnection, kPhaseConnection, kLaneConnection},
    {kOpReleaseLibrary, kPhaseConnection, kPhaseConnection, kLaneConnection},
    {kOpRasEnumerate, kPhaseConnection, kPhaseConnection, kLaneConnection},
    // What the listing gave, drawn with it.
    {kOpRasConnection, kPhaseWhereItComes, kPhaseWhereItComes, kNoLane},
    {kOpRasHangUp, kPhaseConnection, kPhaseConnection, kLaneConnection},
    {kOpInternetOpen, kPhaseZoomAndClear, kPhaseZoomAndClear, kLaneInternetAndKeys},
    {kOpInternetSetOption, kPhaseZoomAndClear, kPhaseZoomAndClear, kLaneInternetAndKeys},
    {kOpOpenUrl, kPhaseZoomAndClear, kPhaseZoomAndClear, kLaneInternetAndKeys},
    {kOpInternetRead, kPhaseZoomAndClear, kPhaseZoomAndClear, kLaneInternetAndKeys},
    {kOpInternetClose, kPhaseZoomAndClear, kPhaseZoomAndClear, kLaneInternetAndKeys},
    {kOpMessage, kPhaseWhereItComes, kPhaseWhereItComes, kLaneAcross},
    {kOpQuit, kPhaseWhereItComes, kPhaseWhereItComes, kLaneAcross},
    {kOpEnd, kPhaseWhereItComes, kPhaseWhereItComes, kLaneAcross},
    {kOpCut, kPhaseWhereItComes, kPhaseWhereItComes, kLaneAcross},
};

static_assert(sizeof kPlaces / sizeof kPlaces[0] == kTraceOpCount, "a place for each operation");

// The phase an operation begins, as its place gives it; `reached` is the
// phase of the events before it, which tells a look for the map before the
// position from one after it.
RunPhase PhaseOf(TraceOp op, RunPhase reached) {
  const OperationPlace& place = PlaceOf(op);
  const RunPhase phase = reached >= kPhaseConnection ? place.phaseLater : place.phase;
  return phase == kPhaseWhereItComes ? reached : phase;
}

}  // namespace

const OperationPlace& PlaceOf(TraceOp op) { return kPlaces[op]; }

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
