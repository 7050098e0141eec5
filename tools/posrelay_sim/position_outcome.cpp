#include "tools/posrelay_sim/position_outcome.h"

#include <cstdio>
#include <cstring>

#include "position/datum_conversion.h"
#include "tools/posrelay_sim/display_text.h"
#include "trace/run_outcome.h"

namespace {

const int kKnownModuleAttempts = 10;
const int kOtherModuleAttempts = 50;

bool Is(const TraceEvent& event, const char* op) { return std::strcmp(event.op, op) == 0; }

// The text field of the operation, or nothing.
std::optional<std::string> Text(const TraceRecord& record, const TraceEvent& event) {
  const TraceField* text = record.FindField(event, "text");
  if (!text || text->kind != kTraceText) return std::nullopt;
  return record.Text(*text);
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
  const TraceRecord& operations = timeline.Operations();
  for (std::size_t i = 0; i < operations.Size(); ++i) {
    const TraceEvent& event = operations.Event(i);
    NoteRunOperation(run, operations, event);
    const std::optional<std::string> text = Text(operations, event);
    if (Is(event, "open_device")) {
      const TraceField* ok = operations.FindField(event, "ok");
      const TraceField* name = operations.FindField(event, "name");
      outcome.asked = true;
      outcome.portOpened = ok && ok->value.number != 0;
      if (name) outcome.port = operations.Text(*name);
    } else if (Is(event, "write") && text) {
      identifying = *text == "ATI4\r";
      if (*text == "AT@LBC?\r" && !outcome.givingAttempt) ++outcome.attempts;
    } else if (Is(event, "read") && identifying) {
      identifying = false;
      // The launcher's reply ends at a zero byte, as its read of it does.
      const bool known =
          text && text->substr(0, text->find('\0')).find("RX410") != std::string::npos;
      outcome.attemptLimit = known ? kKnownModuleAttempts : kOtherModuleAttempts;
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

std::string DescribePositionOutcome(const PositionOutcome& outcome) {
  if (!outcome.asked) return "not asked: the run ended before the module's turn";
  if (!outcome.portOpened) return "none: the port " + DisplayText(outcome.port) + " did not open";
  const std::string limit = std::to_string(outcome.attemptLimit);
  if (!outcome.givingAttempt) {
    return "none in " + std::to_string(outcome.attempts) + " attempts (at most " + limit + ")";
  }
  return "attempt " + std::to_string(outcome.givingAttempt) + " of at most " + limit + " gave " +
         Dms('N', outcome.latitude) + " " + Dms('E', outcome.longitude) + " on the Tokyo datum (" +
         DegreesText(outcome.tokyo) + "); on WGS84 " + DegreesText(outcome.wgs84);
}
