#ifndef POSRELAY_REPORTS_RUN_END_H
#define POSRELAY_REPORTS_RUN_END_H

#include <cstddef>
#include <string>

#include "check/report_language.h"

struct RecordedTrace;
struct RunSummary;

// How a run ended, or where its record stops short of its end.
enum RunEndKind {
  kRunShown,    // the map was shown
  kRunMessage,  // one of the launcher's messages ended the run
  // The trace stops without its end line: the run was killed, reset or hung.
  kRunInterrupted,
  kRunCut,  // the trace reached its bound
  // The trace stops while the message was shown, as when the handset is
  // reset then.
  kRunEndedAtMessage,
  kRunEndKindCount
};

struct RunEnd {
  RunEndKind kind = kRunShown;
  // Interrupted, cut or ended at the message: the operations recorded
  // before the record stops (a cut's, before the cut).
  std::size_t afterOperation = 0;
  // Cut: the run's last part, kept past the cut, reaches the end line,
  // whose outcome the summary's message tells.
  bool lastPartEnds = false;
};

// The kind as programs read it in the replay's JSON: "shown", "message",
// "interrupted", "cut", "endedAtMessage".
const char* RunEndKindName(RunEndKind kind);

// Whether the record reaches the run's end: a whole run's, or a cut one's
// whose last part reaches its end line.
bool RecordReachesEnd(const RunEnd& end);

// Where a recorded trace ends, as far as it tells.
RunEnd EndOfRecordedTrace(const RecordedTrace& trace);

// The run's end for people in `language`, with its time, its position and
// its message as the kind has them: "map shown at 35.692670, 139.750125,
// after 3.000 s". The summary's end line, the chart's caption and the
// page's verdict all say it so.
std::string RunEndText(const RunSummary& summary, ReportLanguage language);

#endif
