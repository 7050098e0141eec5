#include "tools/posrelay_sim/trace_replay.h"

#include <cstring>

#include "settings/settings_file.h"
#include "simulator/trace_player.h"
#include "tools/posrelay_sim/dry_run_limits.h"

namespace {

// The settings the launcher reads from the recorded lines, as far as it may
// read them before a divergence ends the replay: each loop's most. The lines
// are taken by the launcher's reader, in the code page of `handset`.
int CheckRecordedSettings(const RecordedTrace& trace, PlatformServices& handset,
                          std::string& problem) {
  LauncherSettings settings;
  SetDefaultSettings(settings);
  for (std::size_t i = 0; i < trace.operations.Size(); ++i) {
    const TraceEvent& event = trace.operations.Event(i);
    if (event.op != kOpReadLine || !trace.operations.FindField(event, "text")) {
      continue;
    }
    std::wstring piece;
    bool cut = false;
    TakeSettingsPiece(handset, RecordedBytes(trace.operations, event), piece, cut);
    int key = kNoSettingsKey;
    ApplySettingsLine(settings, piece, cut, key);
    std::string refusal;
    if (!DryRunAccepts(settings, refusal)) {
      problem = "line " + std::to_string(trace.lines[i]) + ": " + refusal;
      return 0;
    }
  }
  return 1;
}

}  // namespace

int ReplayTrace(const RecordedTrace& trace, ReplayResult& result, std::string& problem) {
  // A trace that was cut, or interrupted, has recorded all there is: the
  // calls after it are not a divergence, and it has no end to compare.
  const bool complete = !trace.cut && !trace.interrupted;
  const TraceRecord noEnd;
  TracePlayer player(trace.operations, complete ? trace.last : noEnd, !complete, trace.version);
  if (!CheckRecordedSettings(trace, player, problem)) return 0;
  player.PlayLaunchSequence();
  result.diverged = player.Diverged();
  result.played = player.Played();
  result.replayed = player.Replayed();
  result.divergentCall = player.DivergentCall();
  result.endDiffers = result.diverged && result.divergentCall.Size() > 0 &&
                      result.divergentCall.Event(0).op == kOpEnd;
  // The pauses of the calls that matched, up to a cut or a divergence; of
  // an interrupted trace, up to its last operation, where its time stops.
  result.pausesMs = 0;
  for (std::size_t i = 0; i < result.replayed.Size(); ++i) {
    const TraceEvent& call = result.replayed.Event(i);
    if (call.op == kOpSleep) {
      result.pausesMs += static_cast<std::uint64_t>(result.replayed.Field(call, 0).value.number);
    }
  }
  if (trace.interrupted && !result.diverged && result.played > 0) {
    result.pausesMs = result.replayed.Event(result.played - 1).timeMs;
  }
  return 1;
}
