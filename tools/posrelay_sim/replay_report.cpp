#include "tools/posrelay_sim/replay_report.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "simulator/operation_text.h"
#include "tools/posrelay_sim/run_report.h"
#include "tools/posrelay_sim/seconds_text.h"
#include "tools/posrelay_sim/svg_timeline.h"
#include "tools/posrelay_sim/text_timeline.h"
#include "trace/trace_operations.h"

namespace {

// The time the trace covers: to its end line, its cut or, when it was
// interrupted, its last operation.
std::uint64_t RecordedMs(const RecordedTrace& trace) {
  const TraceRecord& last = trace.tail.Size()   ? trace.tail
                            : trace.interrupted ? trace.operations
                                                : trace.last;
  return last.Size() ? last.Event(last.Size() - 1).timeMs : 0;
}

// Whether the run's last part, kept past a cut, reaches its end line.
bool TailEnds(const RecordedTrace& trace) {
  const TraceRecord& tail = trace.tail;
  return tail.Size() && tail.Event(tail.Size() - 1).op == kOpEnd;
}

// How many operations the recorder left out at its bound.
TraceNumber LeftOut(const RecordedTrace& trace) {
  const TraceField* skipped = trace.cut ? trace.last.FindField(trace.last.Event(0), "skipped") : 0;
  return skipped ? skipped->value.number : 0;
}

// Where the trace stops short of the run's end; none when it holds it, if
// only past the operations left out at the bound.
std::optional<std::string> Stopped(const RecordedTrace& trace) {
  const std::string after = " after operation " + std::to_string(trace.operations.Size());
  if (trace.interrupted) return "interrupted" + after;
  if (trace.cut && !TailEnds(trace)) return "cut at the trace's bound" + after;
  return std::nullopt;
}

// Why an interrupted trace stops where it does, as far as it tells.
std::string Interruption(const RecordedTrace& trace) {
  const TraceRecord& operations = trace.operations;
  if (trace.brokenLine) {
    return "its last line, line " + std::to_string(trace.brokenLine) + ", was cut part-way";
  }
  if (operations.Size() && operations.Event(operations.Size() - 1).op == kOpMessage) {
    return "the trace ends at the message, as when the handset is reset while the message is "
           "shown";
  }
  return "the trace stops without its end line";
}

// The recorded line a divergence lies at: an operation, the end line, or
// none when the trace had ended.
const TraceRecord* RecordedAt(const RecordedTrace& trace, const ReplayResult& result,
                              const TraceEvent*& event) {
  if (result.endDiffers) {
    event = &trace.last.Event(0);
    return &trace.last;
  }
  if (result.played >= trace.operations.Size()) return nullptr;
  event = &trace.operations.Event(result.played);
  return &trace.operations;
}

// The time the replay compared: to the cut, when the trace has one.
std::uint64_t ComparedMs(const RecordedTrace& trace) {
  return trace.cut ? trace.last.Event(0).timeMs : RecordedMs(trace);
}

std::int64_t BeyondPausesMs(const RecordedTrace& trace, const ReplayResult& result) {
  return static_cast<std::int64_t>(ComparedMs(trace)) - static_cast<std::int64_t>(result.pausesMs);
}

std::size_t DivergenceLine(const RecordedTrace& trace, const ReplayResult& result) {
  return result.played < trace.lines.size() ? trace.lines[result.played] : trace.lastLine;
}

std::string TimeAccount(const RecordedTrace& trace, const ReplayResult& result) {
  return SecondsText(ComparedMs(trace)) + " s recorded, " + SecondsText(result.pausesMs) +
         " s of them the launcher's pauses, " + SecondsText(BeyondPausesMs(trace, result)) +
         " s beyond them";
}

// The recorded operations as a run's timeline, with the run's summary: the
// run's beginning and, past a cut, its last part.
Timeline RecordedTimeline(const RecordedTrace& trace) {
  Timeline timeline;
  for (const TraceRecord* part : {&trace.operations, &trace.tail}) {
    for (std::size_t i = 0; i < part->Size(); ++i) {
      if (part->Event(i).op != kOpEnd) timeline.Take(*part, part->Event(i));
    }
  }
  return timeline;
}

RunSummary RecordedSummary(const RecordedTrace& trace) {
  RunSummary summary = SummariseOperations(RecordedTimeline(trace).Operations(), RecordedMs(trace));
  summary.stopped = Stopped(trace);
  return summary;
}

}  // namespace

std::string FormatReplayVerdict(const RecordedTrace& trace, const ReplayResult& result) {
  const std::string count = std::to_string(result.played) + " operations";
  if (!result.diverged && trace.interrupted) {
    return *Stopped(trace) + ", at " + SecondsText(RecordedMs(trace)) +
           " s: " + Interruption(trace) + "; identical up to there; " + TimeAccount(trace, result);
  }
  if (!result.diverged && !trace.cut)
    return "identical: " + count + "; " + TimeAccount(trace, result);
  if (!result.diverged) {
    std::string cut = "cut: the trace reached its bound after " + count +
                      ", identical up to there; " + TimeAccount(trace, result);
    if (trace.tail.Size()) {
      cut += "; then " + std::to_string(LeftOut(trace)) + " operations left out and " +
             std::to_string(trace.tail.Size()) + " more of the run's last part" +
             (TailEnds(trace) ? ", to its end" : "");
    }
    return cut;
  }
  const std::string line = "(line " + std::to_string(DivergenceLine(trace, result)) + "): ";
  std::string text = result.endDiffers ? "divergence at the end line " + line
                                       : "divergence at operation " +
                                             std::to_string(result.played + 1) + " " + line;
  const TraceEvent* event = nullptr;
  const TraceRecord* recorded = RecordedAt(trace, result, event);
  text += recorded ? "recorded " + OperationText(*recorded, *event, kExactQuoting) + "; "
                   : "the trace ends there; ";
  if (result.divergentCall.Size() == 0) return text + "the launcher made no more calls";
  return text + (result.endDiffers ? "the replayed calls give " : "the launcher made ") +
         OperationText(result.divergentCall, result.divergentCall.Event(0), kExactQuoting);
}

std::string FormatReplayText(const RecordedTrace& trace, const ReplayResult& result) {
  const std::size_t width = std::max<std::size_t>(8, SecondsText(RecordedMs(trace)).size());
  auto column = [width](const std::string& text) {
    return std::string(width - std::min(width, text.size()), ' ') + text;
  };
  std::string text = "a run of posrelay " + trace.launcher +
                     (trace.build.empty() ? "" : " (build " + trace.build + ")") + " on the " +
                     trace.system + (trace.os.empty() ? "" : " (" + trace.os + ")") +
                     (trace.started.empty() ? "" : ", started " + trace.started) + "\n" +
                     column("recorded") + "  " + column("pauses") + "  operation\n";
  for (std::size_t i = 0; i < result.played; ++i) {
    const TraceEvent& recorded = trace.operations.Event(i);
    text += column(SecondsText(recorded.timeMs)) + "  " +
            column(SecondsText(result.replayed.Event(i).timeMs)) + "  " +
            OperationText(trace.operations, recorded, kExactQuoting) + "\n";
  }
  if (trace.tail.Size()) {
    text += "-- " + std::to_string(LeftOut(trace)) + " operations left out at the bound --\n";
    for (std::size_t i = 0; i < trace.tail.Size(); ++i) {
      const TraceEvent& recorded = trace.tail.Event(i);
      text += column(SecondsText(recorded.timeMs)) + "  " + column("") + "  " +
              OperationText(trace.tail, recorded, kExactQuoting) + "\n";
    }
  }
  // The recorded run summed up as a dry run is, then the verdict.
  text += FormatReplaySummary(trace);
  return text + FormatReplayVerdict(trace, result) + "\n";
}

std::string FormatReplayJson(const RecordedTrace& trace, const ReplayResult& result) {
  std::string lines;
  for (std::size_t i = 0; i < result.played; ++i) {
    const TraceEvent& recorded = trace.operations.Event(i);
    lines += "{\"t\":";
    AppendJsonTime(recorded.timeMs, lines);
    lines += ",\"pauses\":";
    AppendJsonTime(result.replayed.Event(i).timeMs, lines);
    lines += ",\"op\":";
    AppendJsonText(TraceOpName(recorded.op), std::strlen(TraceOpName(recorded.op)), lines);
    AppendTraceFields(trace.operations, recorded, lines);
    lines += "}\n";
  }
  if (!result.diverged) {
    lines += trace.cut           ? "{\"replay\":\"cut\""
             : trace.interrupted ? "{\"replay\":\"interrupted\""
                                 : "{\"replay\":\"identical\"";
    lines += ",\"operations\":" + std::to_string(result.played);
    lines += ",\"t\":" + std::to_string(RecordedMs(trace));
    lines += ",\"pauses\":" + std::to_string(result.pausesMs);
    lines += ",\"beyondPauses\":" + std::to_string(BeyondPausesMs(trace, result)) + "}\n";
    return lines;
  }
  lines += "{\"replay\":\"divergence\",\"position\":" + std::to_string(result.played + 1) +
           ",\"line\":" + std::to_string(DivergenceLine(trace, result)) + ",\"recorded\":";
  const TraceEvent* event = nullptr;
  if (const TraceRecord* at = RecordedAt(trace, result, event)) {
    std::string recorded;
    AppendTraceLine(*at, *event, recorded);
    lines += recorded.substr(0, recorded.size() - 1);
  } else {
    lines += "null";
  }
  lines += ",\"launcher\":";
  if (result.divergentCall.Size() == 0) return lines + "null}\n";
  const TraceEvent& call = result.divergentCall.Event(0);
  lines += "{\"op\":";
  AppendJsonText(TraceOpName(call.op), std::strlen(TraceOpName(call.op)), lines);
  AppendTraceFields(result.divergentCall, call, lines);
  return lines + "}}\n";
}

std::string FormatReplaySvg(const RecordedTrace& trace) {
  return FormatSvgTimeline(RecordedTimeline(trace), RecordedSummary(trace));
}

std::string FormatReplaySummary(const RecordedTrace& trace) {
  return FormatSummaryText(RecordedTimeline(trace), RecordedSummary(trace));
}
