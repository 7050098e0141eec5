#include "trace/run_outcome.h"

#include "position/datum_conversion.h"
#include "position/position_query.h"
#include "position/position_reply.h"
#include "position/serial_channel.h"
#include "trace/trace_operations.h"
#include "trace/utf8_text.h"

namespace {

const TraceField* TextField(const TraceRecord& record, const TraceEvent& event) {
  const TraceField* text = record.FindField(event, kFieldText);
  return text && text->kind == kTraceText ? text : 0;
}

void TakePositionFrom(RunOutcome& outcome, const TraceRecord& record, const TraceField& reply) {
  std::wstring text;
  RecordedReply(record, reply, text);
  if (!ParsePositionReply(text, outcome.reportedLatitude, outcome.reportedLongitude)) return;
  outcome.position =
      TokyoToWgs84(DmsToDegrees(outcome.reportedLatitude), DmsToDegrees(outcome.reportedLongitude));
  outcome.positionKnown = true;
}

}  // namespace

void StartRunOutcome(RunOutcome& outcome) {
  outcome.messageShown = false;
  outcome.message.erase();
  outcome.positionKnown = false;
  const DmsAngle none = {0, 0, 0};
  outcome.reportedLatitude = none;
  outcome.reportedLongitude = none;
  outcome.position.latitude = 0;
  outcome.position.longitude = 0;
  outcome.awaitingPositionReply = false;
}

void NoteRunOperation(RunOutcome& outcome, const TraceRecord& record, const TraceEvent& event) {
  // The recorder notes every operation, most of which tell nothing of the
  // outcome: only these have their text looked up.
  const bool telling = (event.op == kOpMessage && !outcome.messageShown) || event.op == kOpWrite ||
                       (event.op == kOpRead && outcome.awaitingPositionReply);
  const TraceField* text = telling ? TextField(record, event) : 0;
  if (!text) return;
  if (event.op == kOpMessage) {
    outcome.messageShown = true;
    outcome.message = record.Text(*text);
  } else if (event.op == kOpWrite) {
    if (RecordedCommandIs(record, *text, kPositionCommand)) outcome.awaitingPositionReply = true;
  } else {
    outcome.awaitingPositionReply = false;
    if (!outcome.positionKnown) TakePositionFrom(outcome, record, *text);
  }
}

int RecordedCommandIs(const TraceRecord& record, const TraceField& text, const wchar_t* command) {
  // Compared character by byte, without a copy: the recorder asks this of
  // every write it records.
  const char* const sent = record.TextData(text);
  size_t i = 0;
  for (; command[i] != L'\0'; ++i) {
    if (i == text.textLength) return 0;
    const unsigned char byte = static_cast<unsigned char>(sent[i]);
    if (static_cast<wchar_t>(byte) != command[i]) return 0;
  }
  return i == text.textLength;
}

void RecordedReply(const TraceRecord& record, const TraceField& text, std::wstring& reply) {
  DecodeUtf8(record.TextData(text), text.textLength, reply);
  EndReplyAtZero(reply);
}

void RecordRunEnd(TraceRecord& record, TraceTime t, const RunOutcome& outcome) {
  RecordEnd(record, t, outcome.messageShown, outcome.positionKnown, outcome.position.latitude,
            outcome.position.longitude);
}
