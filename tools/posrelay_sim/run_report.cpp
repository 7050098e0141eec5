#include "tools/posrelay_sim/run_report.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "platform/sim/text_encoding.h"
#include "position/datum_conversion.h"
#include "position/position_reply.h"
#include "tools/posrelay_sim/display_text.h"

namespace {

using OrderedJson = nlohmann::ordered_json;

const char kPositionCommand[] = "AT@LBC?\r";

// The first position reply the launcher's parser accepts, if any.
std::optional<GeoPosition> ObtainedPosition(const Timeline& timeline) {
  const std::vector<TimelineEvent>& events = timeline.Events();
  for (auto write = events.begin(); write != events.end(); ++write) {
    const TimelineField* sent = write->Field("text");
    if (write->op != "write" || !sent || sent->text != kPositionCommand) continue;
    const auto read = std::find_if(write + 1, events.end(),
                                   [](const TimelineEvent& e) { return e.op == "read"; });
    if (read == events.end()) break;
    std::wstring reply;
    Utf8ToWide(read->Field("text")->text, reply);
    // The launcher's reply text ends at the first zero character.
    reply.resize(std::min(reply.size(), reply.find(L'\0')));
    DmsAngle latitude;
    DmsAngle longitude;
    if (ParsePositionReply(reply, latitude, longitude)) {
      return TokyoToWgs84(DmsToDegrees(latitude), DmsToDegrees(longitude));
    }
  }
  return std::nullopt;
}

std::string Seconds(std::uint64_t ms) {
  char text[32];
  std::snprintf(text, sizeof text, "%llu.%03llu", static_cast<unsigned long long>(ms / 1000),
                static_cast<unsigned long long>(ms % 1000));
  return text;
}

std::string Degrees(const GeoPosition& position) {
  char text[64];
  std::snprintf(text, sizeof text, "%.6f, %.6f", position.latitude, position.longitude);
  return text;
}

std::string FieldText(const TimelineField& field) {
  switch (field.kind) {
    case TimelineField::kNumber:
      return std::to_string(field.number);
    case TimelineField::kBoolean:
      return field.number ? "true" : "false";
    case TimelineField::kText:
      return DisplayText(field.text);
  }
  return std::string();
}

std::string JsonLine(const OrderedJson& object) {
  // The handset's texts are UTF-8 already; anything else is replaced rather
  // than aborting the report.
  return object.dump(-1, ' ', false, OrderedJson::error_handler_t::replace) + "\n";
}

}  // namespace

RunSummary SummariseRun(const SimulatedHandset& handset) {
  RunSummary summary;
  summary.totalMs = handset.NowMs();
  const std::vector<const TimelineEvent*> messages = handset.GetTimeline().Find("message");
  if (!messages.empty()) summary.message = messages.front()->Field("text")->text;
  summary.position = ObtainedPosition(handset.GetTimeline());
  return summary;
}

std::string FormatTextTimeline(const Timeline& timeline, const RunSummary& summary) {
  const std::size_t timeWidth = Seconds(summary.totalMs).size();
  std::size_t opWidth = 0;
  for (const TimelineEvent& event : timeline.Events()) opWidth = std::max(opWidth, event.op.size());

  std::string text;
  for (const TimelineEvent& event : timeline.Events()) {
    const std::string time = Seconds(event.timeMs);
    std::string line = std::string(timeWidth - time.size(), ' ') + time + "  " + event.op;
    if (!event.fields.empty()) line += std::string(opWidth - event.op.size() + 2, ' ');
    for (std::size_t i = 0; i < event.fields.size(); ++i) {
      line += (i ? " " : "") + event.fields[i].name + "=" + FieldText(event.fields[i]);
    }
    text += line + "\n";
  }
  std::string end;
  if (summary.message) {
    end = "message \"" + *summary.message + "\"";
    if (summary.position) end += ", position " + Degrees(*summary.position);
  } else {
    end = "map shown";
    if (summary.position) end += " at " + Degrees(*summary.position);
  }
  return text + "end: " + end + ", after " + Seconds(summary.totalMs) + " s\n";
}

std::string FormatJsonTimeline(const Timeline& timeline, const RunSummary& summary) {
  std::string lines;
  for (const TimelineEvent& event : timeline.Events()) {
    OrderedJson object;
    object["t"] = event.timeMs;
    object["op"] = event.op;
    for (const TimelineField& field : event.fields) {
      if (field.kind == TimelineField::kNumber) object[field.name] = field.number;
      if (field.kind == TimelineField::kBoolean) object[field.name] = field.number != 0;
      if (field.kind == TimelineField::kText) object[field.name] = field.text;
    }
    lines += JsonLine(object);
  }
  OrderedJson end;
  end["t"] = summary.totalMs;
  end["op"] = "end";
  end["outcome"] = summary.message ? "message" : "shown";
  if (summary.position) {
    end["latitude"] = summary.position->latitude;
    end["longitude"] = summary.position->longitude;
  }
  return lines + JsonLine(end);
}
