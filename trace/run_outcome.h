#ifndef POSRELAY_TRACE_RUN_OUTCOME_H
#define POSRELAY_TRACE_RUN_OUTCOME_H

#include <string>

#include "position/geo_position.h"
#include "trace/trace_record.h"

// How a run ended, read off its operations as they are recorded: the
// message shown, if any, and the module's position, if one was had.
struct RunOutcome {
  bool messageShown;
  std::string message;  // the first message's text, UTF-8
  bool positionKnown;
  DmsAngle reportedLatitude;  // as the module reported them, on the Tokyo datum
  DmsAngle reportedLongitude;
  GeoPosition position;  // WGS84, as the launcher converts it
  bool awaitingPositionReply;
};

void StartRunOutcome(RunOutcome& outcome);

// Takes one operation into account. The position is the first reply to
// the module's position command that the launcher's own parser accepts.
void NoteRunOperation(RunOutcome& outcome, const TraceRecord& record, const TraceEvent& event);

// Whether a recorded write of the module's port sent `command`, one of the
// launcher's commands, which are ASCII and so sent as they are spelled.
int RecordedCommandIs(const TraceRecord& record, const TraceField& text, const wchar_t* command);

// The reply that a recorded read of the module's port gave the launcher.
void RecordedReply(const TraceRecord& record, const TraceField& text, std::wstring& reply);

// The run's last line: its outcome at `t`.
void RecordRunEnd(TraceRecord& record, TraceTime t, const RunOutcome& outcome);

#endif
