#include "reports/run_report.h"

#include "trace/run_outcome.h"
#include "trace/trace_operations.h"

RunSummary SummariseRun(const SimulatedHandset& handset) {
  return SummariseOperations(handset.GetTimeline().Operations(), handset.NowMs());
}

RunSummary SummariseOperations(const TraceRecord& operations, std::uint64_t totalMs) {
  RunOutcome outcome;
  StartRunOutcome(outcome);
  for (std::size_t i = 0; i < operations.Size(); ++i) {
    NoteRunOperation(outcome, operations, operations.Event(i));
  }
  RunSummary summary;
  summary.totalMs = totalMs;
  if (outcome.messageShown) summary.message = outcome.message;
  if (outcome.positionKnown) summary.position = outcome.position;
  summary.end.kind = outcome.messageShown ? kRunMessage : kRunShown;
  return summary;
}

std::string FormatJsonTimeline(const Timeline& timeline, const RunSummary& summary) {
  const TraceRecord& operations = timeline.Operations();
  std::string lines;
  for (std::size_t i = 0; i < operations.Size(); ++i) {
    AppendTraceLine(operations, operations.Event(i), lines);
  }
  TraceRecord end;
  RecordEnd(end, summary.totalMs, summary.message.has_value(), summary.position.has_value(),
            summary.position ? summary.position->latitude : 0,
            summary.position ? summary.position->longitude : 0);
  AppendTraceLine(end, end.Event(0), lines);
  return lines;
}
