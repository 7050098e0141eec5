#include "reports/vocabulary_json.h"

#include <iterator>
#include <nlohmann/json.hpp>

#include "replay/run_phases.h"
#include "reports/run_texts.h"
#include "trace/trace_operations.h"

namespace {

using Json = nlohmann::ordered_json;

struct OpKey {
  TraceOp op;
  const char* key;
};

// Each enumerator spelled once: its value and its key come from one token.
#define POSRELAY_OP_KEY(name) \
  { kOp##name, #name }
const OpKey kKeys[] = {
    POSRELAY_OP_KEY(ExecutablePath),
    POSRELAY_OP_KEY(OpenFile),
    POSRELAY_OP_KEY(ReadLine),
    POSRELAY_OP_KEY(CloseFile),
    POSRELAY_OP_KEY(OpenDevice),
    POSRELAY_OP_KEY(Write),
    POSRELAY_OP_KEY(Read),
    POSRELAY_OP_KEY(CloseDevice),
    POSRELAY_OP_KEY(Sleep),
    POSRELAY_OP_KEY(FindWindow),
    POSRELAY_OP_KEY(Foreground),
    POSRELAY_OP_KEY(PostMessage),
    POSRELAY_OP_KEY(CreateProcess),
    POSRELAY_OP_KEY(Key),
    POSRELAY_OP_KEY(PreKey),
    POSRELAY_OP_KEY(PostKey),
    POSRELAY_OP_KEY(RegistryOpen),
    POSRELAY_OP_KEY(RegistrySet),
    POSRELAY_OP_KEY(RegistryClose),
    POSRELAY_OP_KEY(LoadLibrary),
    POSRELAY_OP_KEY(FindFunction),
    POSRELAY_OP_KEY(ReleaseLibrary),
    POSRELAY_OP_KEY(RasEnumerate),
    POSRELAY_OP_KEY(RasConnection),
    POSRELAY_OP_KEY(RasHangUp),
    POSRELAY_OP_KEY(InternetOpen),
    POSRELAY_OP_KEY(InternetSetOption),
    POSRELAY_OP_KEY(OpenUrl),
    POSRELAY_OP_KEY(InternetRead),
    POSRELAY_OP_KEY(InternetClose),
    POSRELAY_OP_KEY(Message),
    POSRELAY_OP_KEY(Quit),
    POSRELAY_OP_KEY(End),
    POSRELAY_OP_KEY(Cut),
};
#undef POSRELAY_OP_KEY
static_assert(std::size(kKeys) == kTraceOpCount, "every operation has a key");

Json PhaseJson(RunPhase phase) {
  return phase == kPhaseWhereItComes ? Json(nullptr) : Json(RunPhaseName(phase));
}

Json LaneJson(ChartLane lane) {
  if (lane < kLaneCount) return ChartLaneName(lane);
  return lane == kLaneOfPhase ? "of its phase" : lane == kLaneAcross ? "across" : "none";
}

Json FieldJson(const TraceFieldShape& field) {
  static const char* const kKinds[] = {"number", "boolean", "text", "real"};
  Json json;
  json["name"] = field.name;
  json["kind"] = kKinds[field.kind];
  json["result"] = field.role == kTraceResult;
  json["buildSetting"] = field.role == kTraceBuildSetting;
  json["optional"] = field.optional;
  json["firstVersion"] = field.firstVersion;
  json["lastVersion"] = field.lastVersion ? Json(field.lastVersion) : Json(nullptr);
  return json;
}

}  // namespace

const char* TraceOpKey(TraceOp op) {
  for (const OpKey& key : kKeys) {
    if (key.op == op) return key.key;
  }
  return "";
}

std::string FormatVocabularyJson() {
  Json vocabulary;
  vocabulary["format"] = kTraceFormatName;
  vocabulary["version"] = kTraceFormatVersion;
  vocabulary["limits"] = {{"traceBytes", kTraceLimitBytes},
                          {"tailBytes", kTraceTailBytes},
                          {"longestLineBytes", kLongestTraceLineBytes},
                          {"largestFileBytes", kLargestTraceFileBytes},
                          {"latestMs", kLatestTraceMs},
                          {"codePage", kTraceCodePage}};
  Json operations = Json::object();
  for (int i = 0; i < kTraceOpCount; ++i) {
    const TraceOperationShape& shape = TraceOperationOf(static_cast<TraceOp>(i));
    Json op;
    op["op"] = shape.name;
    op["firstVersion"] = shape.firstVersion;
    const OperationPlace& place = PlaceOf(shape.op);
    op["phase"] = PhaseJson(place.phase);
    op["phaseLater"] = PhaseJson(place.phaseLater);
    op["lane"] = LaneJson(place.lane);
    op["fields"] = Json::array();
    for (unsigned int f = 0; f < shape.fieldCount; ++f)
      op["fields"].push_back(FieldJson(shape.fields[f]));
    operations[TraceOpKey(shape.op)] = op;
  }
  vocabulary["operations"] = operations;
  return vocabulary.dump(2) + "\n";
}
