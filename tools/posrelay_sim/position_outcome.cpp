#include "tools/posrelay_sim/position_outcome.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "platform/sim/text_encoding.h"
#include "position/datum_conversion.h"
#include "position/position_reply.h"
#include "tools/posrelay_sim/display_text.h"

namespace {

const int kKnownModuleAttempts = 10;
const int kOtherModuleAttempts = 50;

// The text of the first read after `write`, or nothing.
std::optional<std::string> ReplyAfter(const std::vector<TimelineEvent>& events,
                                      std::vector<TimelineEvent>::const_iterator write) {
  const auto read =
      std::find_if(write + 1, events.end(), [](const TimelineEvent& e) { return e.op == "read"; });
  if (read == events.end() || !read->Field("text")) return std::nullopt;
  return read->Field("text")->text;
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
  const std::vector<TimelineEvent>& events = timeline.Events();
  for (auto event = events.begin(); event != events.end(); ++event) {
    if (event->op == "open_device") {
      outcome.asked = true;
      outcome.portOpened = event->Field("ok") && event->Field("ok")->number != 0;
      if (event->Field("name")) outcome.port = event->Field("name")->text;
    }
    const TimelineField* sent = event->Field("text");
    if (event->op != "write" || !sent) continue;
    if (sent->text == "ATI4\r") {
      const std::optional<std::string> identification = ReplyAfter(events, event);
      const bool known = identification && identification->find("RX410") != std::string::npos;
      outcome.attemptLimit = known ? kKnownModuleAttempts : kOtherModuleAttempts;
    }
    if (sent->text != "AT@LBC?\r" || outcome.givingAttempt) continue;
    ++outcome.attempts;
    const std::optional<std::string> reply = ReplyAfter(events, event);
    if (!reply) continue;
    std::wstring text;
    Utf8ToWide(*reply, text);
    // The launcher's reply text ends at the first zero character.
    text.resize(std::min(text.size(), text.find(L'\0')));
    if (ParsePositionReply(text, outcome.latitude, outcome.longitude)) {
      outcome.givingAttempt = outcome.attempts;
      outcome.tokyo.latitude = DmsToDegrees(outcome.latitude);
      outcome.tokyo.longitude = DmsToDegrees(outcome.longitude);
      outcome.wgs84 = TokyoToWgs84(outcome.tokyo.latitude, outcome.tokyo.longitude);
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
