#ifndef POSRELAY_REPORTS_MARK_TEXTS_H
#define POSRELAY_REPORTS_MARK_TEXTS_H

#include <string>

#include "check/report_language.h"
#include "replay/run_phases.h"
#include "trace/trace_record.h"

// How an operation came out, as the chart colours its mark.
enum MarkOutcome {
  kMarkDone,
  // Failed as it always does where the run was recorded: a desktop has no
  // data connection's functions. The run goes on as it should.
  kMarkExpected,
  kMarkFailed
};

struct MarkMeaning {
  MarkOutcome outcome;
  std::string text;  // what happened, in an owner's words
};

// A number field's value, or 0 when the operation has none.
TraceNumber NumberField(const TraceRecord& record, const TraceEvent& event, const char* name);

// What the operation shows happened, for its mark's hover text in
// `language`: "地図アプリの画面を探しました（まだありません）". `phase` is the
// phase it comes in, which tells a close request from the clear command.
MarkMeaning MeaningOfMark(const TraceRecord& record, const TraceEvent& event, RunPhase phase,
                          ReportLanguage language);

#endif
