#include "reports/replay_report.h"

#include <algorithm>
#include <cstring>

#include "check/display_text.h"
#include "check/seconds_text.h"
#include "reports/run_end.h"
#include "reports/run_report.h"
#include "reports/run_texts.h"
#include "reports/svg_timeline.h"
#include "reports/text_timeline.h"
#include "simulator/operation_text.h"
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

// How many operations the recorder left out at its bound.
TraceNumber LeftOut(const RecordedTrace& trace) {
  const TraceField* skipped =
      trace.cut ? trace.last.FindField(trace.last.Event(0), kFieldSkipped) : 0;
  return skipped ? skipped->value.number : 0;
}

// What a cut trace keeps after the part the recorder left out at its bound;
// nothing for a trace that kept no last part.
std::string CutLastPartText(const RecordedTrace& trace, ReportLanguage language) {
  if (!trace.tail.Size()) return std::string();
  return RunTextIn(
      language, kVerdictCutLastPart,
      {std::to_string(LeftOut(trace)), std::to_string(trace.tail.Size()),
       EndOfRecordedTrace(trace).lastPartEnds ? RunTextIn(language, kLastPartToItsEnd) : ""});
}

// Why an interrupted trace stops where it does, as far as it tells.
std::string Interruption(const RecordedTrace& trace, ReportLanguage language) {
  if (trace.brokenLine) {
    return RunTextIn(language, kInterruptedBrokenLine, {std::to_string(trace.brokenLine)});
  }
  return RunTextIn(language, kInterruptedNoEnd);
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

std::string TimeAccount(const RecordedTrace& trace, const ReplayResult& result,
                        ReportLanguage language) {
  return RunTextIn(language, kTimeAccount,
                   {SecondsText(ComparedMs(trace)), SecondsText(result.pausesMs),
                    SecondsText(BeyondPausesMs(trace, result))});
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
  summary.end = EndOfRecordedTrace(trace);
  return summary;
}

}  // namespace

std::string FormatReplayVerdict(const RecordedTrace& trace, const ReplayResult& result,
                                ReportLanguage language) {
  if (!result.diverged && trace.interrupted) {
    const RunSummary summary = RecordedSummary(trace);
    const std::string end = RunEndText(summary, language);
    const std::string account = TimeAccount(trace, result, language);
    const std::string after = std::to_string(summary.end.afterOperation);
    if (summary.end.kind == kRunEndedAtMessage) {
      return RunTextIn(language, kVerdictAtMessage, {end, "", account, after});
    }
    return RunTextIn(language, kVerdictInterrupted,
                     {end, Interruption(trace, language), account, after});
  }
  if (!result.diverged && !trace.cut) {
    return RunTextIn(language, kVerdictIdentical,
                     {std::to_string(result.played), TimeAccount(trace, result, language)});
  }
  if (!result.diverged) {
    return RunTextIn(language, kVerdictCut,
                     {std::to_string(result.played), TimeAccount(trace, result, language)}) +
           CutLastPartText(trace, language);
  }
  const std::string line = std::to_string(DivergenceLine(trace, result));
  std::string text = result.endDiffers ? RunTextIn(language, kDivergenceAtEndLine, {line})
                                       : RunTextIn(language, kDivergenceAtOperation,
                                                   {std::to_string(result.played + 1), line});
  const TraceEvent* event = nullptr;
  const TraceRecord* recorded = RecordedAt(trace, result, event);
  text += recorded ? RunTextIn(language, kDivergenceRecorded,
                               {OperationText(*recorded, *event, kExactQuoting)})
                   : RunTextIn(language, kDivergenceTraceEnds);
  if (result.divergentCall.Size() == 0) return text + RunTextIn(language, kDivergenceNoMoreCalls);
  return text +
         RunTextIn(
             language, result.endDiffers ? kDivergenceEndGiven : kDivergenceLauncherMade,
             {OperationText(result.divergentCall, result.divergentCall.Event(0), kExactQuoting)});
}

std::string FormatReplayDetails(const RecordedTrace& trace, const ReplayResult& result,
                                ReportLanguage language) {
  const std::string account = TimeAccount(trace, result, language);
  if (result.diverged) {
    // The headline names the operation and the line; the details, what differs.
    const std::string verdict = FormatReplayVerdict(trace, result, language);
    const std::string line = std::to_string(DivergenceLine(trace, result));
    const std::string at = result.endDiffers ? RunTextIn(language, kDivergenceAtEndLine, {line})
                                             : RunTextIn(language, kDivergenceAtOperation,
                                                         {std::to_string(result.played + 1), line});
    return verdict.substr(at.size());
  }
  if (trace.interrupted) {
    const std::string reason = Interruption(trace, language);
    return RunTextIn(language, kDetailsStopsAfter,
                     {std::to_string(trace.operations.Size()), reason, account});
  }
  if (!trace.cut) {
    return RunTextIn(language, kDetailsIdentical, {std::to_string(result.played), account});
  }
  return RunTextIn(language, kDetailsCut, {std::to_string(result.played), account}) +
         CutLastPartText(trace, language);
}

std::string FormatReplayHeadline(const RecordedTrace& trace, const ReplayResult& result,
                                 ReportLanguage language) {
  if (result.diverged) {
    return RunTextIn(
        language, kHeadlineDivergence,
        {std::to_string(result.played + 1), std::to_string(DivergenceLine(trace, result))});
  }
  const bool whole = !trace.cut && !trace.interrupted;
  const RunSummary summary = RecordedSummary(trace);
  const std::string headline =
      RunTextIn(language, whole ? kHeadlineIdentical : kHeadlineAsFarAsItGoes,
                {RunEndText(summary, language)});
  if (summary.end.kind != kRunInterrupted) return headline;
  return headline + RunTextIn(language, kHeadlineStopsMeaning);
}

std::string FormatReplayOrigin(const RecordedTrace& trace, ReportLanguage language) {
  return RunTextIn(
      language, kReplayHeader,
      {trace.launcher, trace.build.empty() ? "" : RunTextIn(language, kReplayBuild, {trace.build}),
       SystemNameIn(language, trace.system),
       trace.os.empty() ? "" : RunTextIn(language, kReplayOs, {trace.os}),
       trace.started.empty() ? "" : RunTextIn(language, kReplayStarted, {trace.started})});
}

std::string FormatReplayText(const RecordedTrace& trace, const ReplayResult& result,
                             ReportLanguage language) {
  const std::string recordedHeading = RunTextIn(language, kColumnRecorded);
  const std::string pausesHeading = RunTextIn(language, kColumnPauses);
  const std::size_t width =
      std::max({SecondsText(RecordedMs(trace)).size(), DisplayWidth(recordedHeading),
                DisplayWidth(pausesHeading), std::size_t(8)});
  auto column = [width](const std::string& text) {
    return std::string(width - std::min(width, DisplayWidth(text)), ' ') + text;
  };
  std::string text = FormatReplayOrigin(trace, language) + "\n" + column(recordedHeading) + "  " +
                     column(pausesHeading) + "  " + RunTextIn(language, kColumnOperation) + "\n";
  for (std::size_t i = 0; i < result.played; ++i) {
    const TraceEvent& recorded = trace.operations.Event(i);
    text += column(SecondsText(recorded.timeMs)) + "  " +
            column(SecondsText(result.replayed.Event(i).timeMs)) + "  " +
            OperationText(trace.operations, recorded, kExactQuoting) + "\n";
  }
  if (trace.tail.Size()) {
    text += RunTextIn(language, kLeftOutAtBound, {std::to_string(LeftOut(trace))}) + "\n";
    for (std::size_t i = 0; i < trace.tail.Size(); ++i) {
      const TraceEvent& recorded = trace.tail.Event(i);
      text += column(SecondsText(recorded.timeMs)) + "  " + column("") + "  " +
              OperationText(trace.tail, recorded, kExactQuoting) + "\n";
    }
  }
  // The recorded run summed up as a dry run is, then the verdict.
  text += FormatReplaySummary(trace, language);
  return text + FormatReplayVerdict(trace, result, language) + "\n";
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
  return lines + FormatReplayResultJson(trace, result);
}

std::string FormatReplayResultJson(const RecordedTrace& trace, const ReplayResult& result) {
  std::string lines;
  if (!result.diverged) {
    lines += trace.cut           ? "{\"replay\":\"cut\""
             : trace.interrupted ? "{\"replay\":\"interrupted\""
                                 : "{\"replay\":\"identical\"";
    lines += ",\"operations\":" + std::to_string(result.played);
    lines += ",\"t\":" + std::to_string(RecordedMs(trace));
    lines += ",\"pauses\":" + std::to_string(result.pausesMs);
    lines += ",\"beyondPauses\":" + std::to_string(BeyondPausesMs(trace, result));
    lines += std::string(",\"end\":\"") + RunEndKindName(EndOfRecordedTrace(trace).kind) + "\"}\n";
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
  const std::string end =
      std::string(",\"end\":\"") + RunEndKindName(EndOfRecordedTrace(trace).kind) + "\"}\n";
  if (result.divergentCall.Size() == 0) return lines + "null" + end;
  const TraceEvent& call = result.divergentCall.Event(0);
  lines += "{\"op\":";
  AppendJsonText(TraceOpName(call.op), std::strlen(TraceOpName(call.op)), lines);
  AppendTraceFields(result.divergentCall, call, lines);
  return lines + "}" + end;
}

std::string FormatReplaySvg(const RecordedTrace& trace, ReportLanguage language) {
  return FormatSvgTimeline(RecordedTimeline(trace), RecordedSummary(trace), language);
}

std::string FormatReplaySummary(const RecordedTrace& trace, ReportLanguage language, bool withEnd) {
  return FormatSummaryText(RecordedTimeline(trace), RecordedSummary(trace), language, withEnd);
}
