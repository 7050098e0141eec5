#include "reports/position_outcome.h"

#include <cstdio>

#include "check/display_text.h"
#include "position/datum_conversion.h"
#include "position/position_query.h"
#include "replay/run_phases.h"
#include "reports/run_texts.h"
#include "trace/run_outcome.h"
#include "trace/trace_operations.h"

namespace {

// The text field of the operation, or none.
const TraceField* TextField(const TraceRecord& record, const TraceEvent& event) {
  const TraceField* text = record.FindField(event, kFieldText);
  return text && text->kind == kTraceText ? text : nullptr;
}

std::string Dms(char hemisphere, const DmsAngle& angle) {
  char text[48];
  std::snprintf(text, sizeof text, "%c%d.%02d.%02d", hemisphere, angle.degrees, angle.minutes,
                angle.seconds);
  return text;
}

}  // namespace

PositionOutcome FindPositionOutcome(const Timeline& timeline) {
  PositionOutcome outcome;
  // Which reply gives the position is the launcher's own outcome's to say.
  RunOutcome run;
  StartRunOutcome(run);
  bool identifying = false;
  // Attempts are counted as the chart marks them, so that both tell one count.
  const std::vector<int> attemptStarts = AttemptStartsOf(timeline);
  const TraceRecord& operations = timeline.Operations();
  for (std::size_t i = 0; i < operations.Size(); ++i) {
    if (attemptStarts[i] && !outcome.givingAttempt) outcome.attempts = attemptStarts[i];
    const TraceEvent& event = operations.Event(i);
    NoteRunOperation(run, operations, event);
    const TraceField* text = TextField(operations, event);
    if (event.op == kOpOpenDevice) {
      const TraceField* ok = operations.FindField(event, kFieldOk);
      const TraceField* name = operations.FindField(event, kFieldName);
      outcome.asked = true;
      outcome.portOpened = ok && ok->value.number != 0;
      if (name) outcome.port = operations.Text(*name);
    } else if (event.op == kOpWrite && text) {
      identifying = RecordedCommandIs(operations, *text, kIdentifyCommand) != 0;
    } else if (event.op == kOpRead && identifying) {
      identifying = false;
      std::wstring identification;
      if (text) RecordedReply(operations, *text, identification);
      outcome.attemptLimit = PositionAttemptLimit(IsSlowModule(identification) != 0);
    }
    if (run.positionKnown && !outcome.givingAttempt) {
      outcome.givingAttempt = outcome.attempts;
      outcome.latitude = run.reportedLatitude;
      outcome.longitude = run.reportedLongitude;
      outcome.tokyo.latitude = DmsToDegrees(run.reportedLatitude);
      outcome.tokyo.longitude = DmsToDegrees(run.reportedLongitude);
      outcome.wgs84 = run.position;
    }
  }
  return outcome;
}

std::string DescribePositionOutcome(const PositionOutcome& outcome, bool wholeRun,
                                    ReportLanguage language) {
  if (!outcome.asked)
    return RunTextIn(language, wholeRun ? kPositionNotAsked : kPositionNotYetAsked);
  if (!outcome.portOpened) {
    return RunTextIn(language, kPositionPortClosed, {QuotedIn(language, outcome.port)});
  }
  const std::string limit = std::to_string(outcome.attemptLimit);
  if (!outcome.givingAttempt) {
    // A record that stops short tells how far the query got, not that it gave up.
    const RunText none = wholeRun           ? kPositionNone
                         : outcome.attempts ? kPositionNoneYet
                                            : kPositionNoneBeforeAttempts;
    return RunTextIn(language, none, {std::to_string(outcome.attempts), limit});
  }
  return RunTextIn(
      language, kPositionGiven,
      {std::to_string(outcome.givingAttempt), limit, Dms('N', outcome.latitude),
       Dms('E', outcome.longitude), DegreesText(outcome.tokyo), DegreesText(outcome.wgs84)});
}
