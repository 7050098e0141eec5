#include "trace/run_outcome.h"

#include <cstring>

#include "position/datum_conversion.h"
#include "position/position_reply.h"
#include "trace/trace_operations.h"
#include "trace/utf8_text.h"

namespace {

// The position command as the serial line carries it.
const char kPositionCommand[] = "AT@LBC?\r";

bool IsOp(const TraceEvent& event, const char* op) { return std::strcmp(event.op, op) == 0; }

const TraceField* TextField(const TraceRecord& record, const TraceEvent& event) {
  const TraceField* text = record.FindField(event, "text");
  return text && text->kind == kTraceText ? text : 0;
}

void TakePositionFrom(RunOutcome& outcome, const TraceRecord& record, const TraceField& reply) {
  std::wstring text;
  DecodeUtf8(record.TextData(reply), reply.textLength, text);
  // The launcher's reply text ends at the first zero character.
  const std::wstring::size_type zero = text.find(L'\0');
  if (zero != std::wstring::npos) text.resize(zero);
  if (!ParsePositionReply(text, outcome.reportedLatitude, outcome.reportedLongitude)) return;
  outcome.position =
      TokyoToWgs84(DmsToDegrees(outcome.reportedLatitude), DmsToDegrees(outcome.reportedLongitude));
  outcome.positionKnown = true;
}

}  // namespace

void StartRunOutcome(RunOutcome& outcome) {
  outcome.messageShown = false;
  outcome.message.clear();
  outcome.positionKnown = false;
  const DmsAngle none = {0, 0, 0};
  outcome.reportedLatitude = none;
  outcome.reportedLongitude = none;
  outcome.position.latitude = 0;
  outcome.position.longitude = 0;
  outcome.awaitingPositionReply = false;
}

void NoteRunOperation(RunOutcome& outcome, const TraceRecord& record, const TraceEvent& event) {
  const TraceField* text = TextField(record, event);
  if (IsOp(event, "message") && !outcome.messageShown && text) {
    outcome.messageShown = true;
    outcome.message = record.Text(*text);
  } else if (IsOp(event, "write") && text) {
    const std::size_t length = sizeof kPositionCommand - 1;
    if (text->textLength == length &&
        std::memcmp(record.TextData(*text), kPositionCommand, length) == 0) {
      outcome.awaitingPositionReply = true;
    }
  } else if (IsOp(event, "read") && text && outcome.awaitingPositionReply) {
    outcome.awaitingPositionReply = false;
    if (!outcome.positionKnown) TakePositionFrom(outcome, record, *text);
  }
}

void RecordRunEnd(TraceRecord& record, TraceTime t, const RunOutcome& outcome) {
  RecordEnd(record, t, outcome.messageShown, outcome.positionKnown, outcome.position.latitude,
            outcome.position.longitude);
}
