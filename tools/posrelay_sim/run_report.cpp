#include "tools/posrelay_sim/run_report.h"

#include <nlohmann/json.hpp>

#include "tools/posrelay_sim/position_outcome.h"

namespace {

using OrderedJson = nlohmann::ordered_json;

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
  const PositionOutcome outcome = FindPositionOutcome(handset.GetTimeline());
  if (outcome.givingAttempt) summary.position = outcome.wgs84;
  return summary;
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
