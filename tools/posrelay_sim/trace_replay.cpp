#include "tools/posrelay_sim/trace_replay.h"

#include <algorithm>
#include <cstring>

#include "app/launch_sequence.h"
#include "platform/sim/text_encoding.h"
#include "platform/sim/trace_player.h"
#include "settings/settings_file.h"

namespace {

const std::size_t kSettingsPieceBytes = 255;

// The settings the launcher reads from the recorded lines, as far as it may
// read them before a divergence ends the replay: each loop's most.
int CheckRecordedSettings(const RecordedTrace& trace, std::string& problem) {
  LauncherSettings settings;
  SetDefaultSettings(settings);
  for (std::size_t i = 0; i < trace.operations.Size(); ++i) {
    const TraceEvent& event = trace.operations.Event(i);
    if (std::strcmp(event.op, "read_line") != 0 || !trace.operations.FindField(event, "text")) {
      continue;
    }
    // As the settings reader takes a piece: cut when it filled its bytes
    // without a line feed, its text ending at a zero byte.
    std::string bytes = RecordedBytes(trace.operations, event);
    const bool cut = bytes.size() >= kSettingsPieceBytes && bytes.back() != '\n';
    bytes.resize(std::min(bytes.size(), bytes.find('\0')));
    int key = kNoSettingsKey;
    ApplySettingsLine(settings, Cp932ToWide(bytes), cut, key);
    const std::string tooMany = TooManyLoops(settings);
    if (!tooMany.empty()) {
      problem = "line " + std::to_string(trace.lines[i]) + ": " + tooMany;
      return 0;
    }
  }
  return 1;
}

}  // namespace

std::string TooManyLoops(const LauncherSettings& settings) {
  if (settings.waitloop <= kMostLoops && settings.gzoomtime <= kMostLoops) return std::string();
  return "waitloop " + std::to_string(settings.waitloop) + " and gzoomtime " +
         std::to_string(settings.gzoomtime) + ": posrelay-sim runs at most " +
         std::to_string(kMostLoops) + " of each";
}

int ReplayTrace(const RecordedTrace& trace, ReplayResult& result, std::string& problem) {
  if (!CheckRecordedSettings(trace, problem)) return 0;
  // A trace that was cut, or that ends at its message, has recorded all
  // there is: the calls after it are not a divergence.
  TracePlayer player(trace.operations, trace.cut || trace.unfinished);
  RunLaunchSequence(player);
  player.Finish();
  result.diverged = player.Diverged();
  result.played = player.Played();
  result.replayed = player.Replayed();
  result.divergentCall = player.DivergentCall();
  // The pauses of the calls that matched, up to a cut or a divergence.
  result.pausesMs = 0;
  for (std::size_t i = 0; i < result.replayed.Size(); ++i) {
    const TraceEvent& call = result.replayed.Event(i);
    if (std::strcmp(call.op, "sleep") == 0) {
      result.pausesMs += static_cast<std::uint64_t>(result.replayed.Field(call, 0).value.number);
    }
  }
  return 1;
}
