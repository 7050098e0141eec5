#include "tools/posrelay_sim/trace_replay.h"

#include <algorithm>
#include <cstring>

#include "app/launch_sequence.h"
#include "app/run_outcome.h"
#include "platform/sim/text_encoding.h"
#include "platform/sim/trace_player.h"
#include "settings/settings_file.h"

namespace {

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
    const bool cut =
        bytes.size() >= static_cast<std::size_t>(kSettingsPieceBytes) && bytes.back() != '\n';
    bytes.resize(std::min(bytes.size(), bytes.find('\0')));
    int key = kNoSettingsKey;
    ApplySettingsLine(settings, Cp932ToWide(bytes), cut, key);
    if (settings.waitloop > kMostLoops || settings.gzoomtime > kMostLoops) {
      problem = "line " + std::to_string(trace.lines[i]) + ": waitloop " +
                std::to_string(settings.waitloop) + " and gzoomtime " +
                std::to_string(settings.gzoomtime) + ": posrelay-sim runs at most " +
                std::to_string(kMostLoops) + " of each";
      return 0;
    }
  }
  return 1;
}

// The end line the launcher's own record makes of the replayed calls, at
// the recorded end's time, when it differs from the recorded one.
int EndDiffers(const RecordedTrace& trace, const TraceRecord& replayed, TraceRecord& end) {
  RunOutcome outcome;
  StartRunOutcome(outcome);
  for (std::size_t i = 0; i < replayed.Size(); ++i) {
    NoteRunOperation(outcome, replayed, replayed.Event(i));
  }
  const TraceEvent& recorded = trace.last.Event(0);
  RecordRunEnd(end, recorded.timeMs, outcome);
  const TraceEvent& made = end.Event(0);
  if (made.fieldCount != recorded.fieldCount) return 1;
  for (std::size_t i = 0; i < made.fieldCount; ++i) {
    if (!SameTraceField(end, end.Field(made, i), trace.last, trace.last.Field(recorded, i))) {
      return 1;
    }
  }
  return 0;
}

}  // namespace

int ReplayTrace(const RecordedTrace& trace, ReplayResult& result, std::string& problem) {
  if (!CheckRecordedSettings(trace, problem)) return 0;
  // A trace that was cut, or interrupted, has recorded all there is: the
  // calls after it are not a divergence.
  TracePlayer player(trace.operations, trace.cut || trace.interrupted);
  RunLaunchSequence(player);
  player.Finish();
  result.diverged = player.Diverged();
  result.played = player.Played();
  result.replayed = player.Replayed();
  result.divergentCall = player.DivergentCall();
  if (!result.diverged && !trace.cut && !trace.interrupted) {
    TraceRecord end;
    result.endDiffers = EndDiffers(trace, result.replayed, end);
    if (result.endDiffers) {
      result.diverged = true;
      result.divergentCall = end;
    }
  }
  // The pauses of the calls that matched, up to a cut or a divergence; of
  // an interrupted trace, up to its last operation, where its time stops.
  result.pausesMs = 0;
  for (std::size_t i = 0; i < result.replayed.Size(); ++i) {
    const TraceEvent& call = result.replayed.Event(i);
    if (std::strcmp(call.op, "sleep") == 0) {
      result.pausesMs += static_cast<std::uint64_t>(result.replayed.Field(call, 0).value.number);
    }
  }
  if (trace.interrupted && !result.diverged && result.played > 0) {
    result.pausesMs = result.replayed.Event(result.played - 1).timeMs;
  }
  return 1;
}
