#include "reports/run_end.h"

#include "replay/trace_reader.h"
#include "reports/run_report.h"
#include "reports/run_texts.h"
#include "trace/trace_operations.h"

namespace {

// A run that got to its end line: the map shown or a message.
std::string OutcomeText(const RunSummary& summary, ReportLanguage language) {
  const std::string time = SecondsIn(language, static_cast<std::int64_t>(summary.totalMs));
  const std::string position = summary.position ? PositionIn(language, *summary.position) : "";
  if (summary.message) {
    return RunTextIn(language, summary.position ? kEndMessageWithPosition : kEndMessage,
                     {time, position, QuotedIn(language, *summary.message)});
  }
  return RunTextIn(language, summary.position ? kEndShownAt : kEndShown, {time, position});
}

}  // namespace

const char* RunEndKindName(RunEndKind kind) {
  static const char* const kNames[kRunEndKindCount] = {"shown", "message", "interrupted", "cut",
                                                       "endedAtMessage"};
  return kNames[kind];
}

bool RecordReachesEnd(const RunEnd& end) {
  return end.kind == kRunShown || end.kind == kRunMessage ||
         (end.kind == kRunCut && end.lastPartEnds);
}

RunEnd EndOfRecordedTrace(const RecordedTrace& trace) {
  RunEnd end;
  const TraceRecord& operations = trace.operations;
  end.afterOperation = operations.Size();
  if (trace.interrupted) {
    const bool atMessage = !trace.brokenLine && operations.Size() &&
                           operations.Event(operations.Size() - 1).op == kOpMessage;
    end.kind = atMessage ? kRunEndedAtMessage : kRunInterrupted;
  } else if (trace.cut) {
    const TraceRecord& tail = trace.tail;
    end.kind = kRunCut;
    end.lastPartEnds = tail.Size() && tail.Event(tail.Size() - 1).op == kOpEnd;
  } else {
    const TraceField* outcome = trace.last.FindField(trace.last.Event(0), kFieldOutcome);
    end.kind =
        outcome && trace.last.Text(*outcome) == kTraceOutcomeMessage ? kRunMessage : kRunShown;
  }
  return end;
}

std::string RunEndText(const RunSummary& summary, ReportLanguage language) {
  const std::string time = SecondsIn(language, static_cast<std::int64_t>(summary.totalMs));
  const std::string position = summary.position ? PositionIn(language, *summary.position) : "";
  const std::string message = summary.message ? QuotedIn(language, *summary.message) : "";
  const std::string after = std::to_string(summary.end.afterOperation);
  switch (summary.end.kind) {
    case kRunInterrupted:
      return RunTextIn(language, summary.position ? kEndInterruptedWithPosition : kEndInterrupted,
                       {time, position, message, after});
    case kRunCut:
      if (!summary.end.lastPartEnds) {
        return RunTextIn(language, kEndCut, {time, position, message, after});
      }
      return RunTextIn(language, kEndCutToEnd,
                       {time, position, message, after, OutcomeText(summary, language)});
    case kRunEndedAtMessage:
      return RunTextIn(language, kEndAtMessage, {time, position, message, after});
    default:
      return OutcomeText(summary, language);
  }
}
