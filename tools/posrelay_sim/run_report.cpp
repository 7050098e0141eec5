#include "tools/posrelay_sim/run_report.h"

#include <algorithm>
#include <cstdio>

#include "app/run_outcome.h"
#include "platform/trace_operations.h"
#include "tools/posrelay_sim/display_text.h"

namespace {

std::string Seconds(std::uint64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu.%03llu", static_cast<unsigned long long>(ms / 1000),
                static_cast<unsigned long long>(ms % 1000));
  return text;
}

std::string Degrees(const GeoPosition& position) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f, %.6f", position.latitude, position.longitude);
  return text;
}

std::string FieldText(const TimelineField& field) {
  switch (field.kind) {
    case TimelineField::kNumber:
      return std::to_string(field.number);
    case TimelineField::kBoolean:
      return field.number ? "true" : "false";
    case TimelineField::kText:
      return DisplayText(field.text);
  }
  return std::string();
}

}  // namespace

RunSummary SummariseRun(const SimulatedHandset& handset) {
  const TraceRecord& operations = handset.GetTimeline().Operations();
  RunOutcome outcome;
  StartRunOutcome(outcome);
  for (std::size_t i = 0; i < operations.Size(); ++i) {
    NoteRunOperation(outcome, operations, operations.Event(i));
  }
  RunSummary summary;
  summary.totalMs = handset.NowMs();
  if (outcome.messageShown) summary.message = outcome.message;
  if (outcome.positionKnown) summary.position = outcome.position;
  return summary;
}

std::string FormatTextTimeline(const Timeline& timeline, const RunSummary& summary) {
  const std::size_t timeWidth = Seconds(summary.totalMs).size();
  std::size_t opWidth = 0;
  for (const TimelineEvent& event : timeline.Events()) opWidth = std::max(opWidth, event.op.size());

  std::string text;
  for (const TimelineEvent& event : timeline.Events()) {
    const std::string time = Seconds(event.timeMs);
    std::string line = std::string(timeWidth - time.size(), ' ') + time + "  " + event.op;
    if (!event.fields.empty()) line += std::string(opWidth - event.op.size() + 2, ' ');
    for (std::size_t i = 0; i < event.fields.size(); ++i) {
      line += (i ? " " : "") + event.fields[i].name + "=" + FieldText(event.fields[i]);
    }
    text += line + "\n";
  }
  std::string end;
  if (summary.message) {
    end = "message \"" + *summary.message + "\"";
    if (summary.position) end += ", position " + Degrees(*summary.position);
  } else {
    end = "map shown";
    if (summary.position) end += " at " + Degrees(*summary.position);
  }
  return text + "end: " + end + ", after " + Seconds(summary.totalMs) + " s\n";
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
