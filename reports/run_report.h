#ifndef POSRELAY_REPORTS_RUN_REPORT_H
#define POSRELAY_REPORTS_RUN_REPORT_H

#include <cstdint>
#include <optional>
#include <string>

#include "position/geo_position.h"
#include "reports/run_end.h"
#include "simulator/simulated_handset.h"

// How a run on the simulated handset ended.
struct RunSummary {
  std::uint64_t totalMs = 0;
  std::optional<std::string> message;   // the message shown, UTF-8; none on a normal end
  std::optional<GeoPosition> position;  // the module's position, when one was obtained
  RunEnd end;  // shown or message for a whole run; where a record stops short of it
};

// Reads the outcome off the handset after the launch sequence has run. The
// position is the first reply to "AT@LBC?" that the launcher's own parser
// accepts, converted as the launcher converts it (position_outcome.h).
RunSummary SummariseRun(const SimulatedHandset& handset);
// The same for recorded operations, such as a trace's, that ended at `totalMs`.
RunSummary SummariseOperations(const TraceRecord& operations, std::uint64_t totalMs);

// The text and the chart of a run are in text_timeline.h and svg_timeline.h.

// One JSON object per operation, {"t":ms,"op":"...",fields...}, then
// {"t":ms,"op":"end","outcome":"shown"|"message",...}.
std::string FormatJsonTimeline(const Timeline& timeline, const RunSummary& summary);

#endif
