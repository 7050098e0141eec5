#include "replay/trace_replay.h"

#include "check/dry_run_limits.h"
#include "replay/trace_player.h"
#include "settings/settings_file.h"
#include "trace/trace_recorder.h"

namespace {

// Refuses, at the first piece that makes them so, settings whose loops
// posrelay-sim does not run.
class RecordedSettingsCheck : public SettingsReadObserver {
 public:
  RecordedSettingsCheck(const RecordedTrace& trace, const TracePlayer& player)
      : trace_(trace), player_(player) {}

  void PieceTaken(const std::wstring&, bool, SettingsLineOutcome, int,
                  const LauncherSettings& settings) override {
    std::string refusal;
    if (!problem.empty() || DryRunAccepts(settings, kEnglish, refusal)) return;
    // The piece's read is the last operation the player played.
    line = trace_.lines[player_.Played() - 1];
    problem = "line " + std::to_string(line) + ": " + refusal;
  }

  std::string problem;
  std::size_t line = 0;

 private:
  const RecordedTrace& trace_;
  const TracePlayer& player_;
};

// The settings the launcher reads in the replay, read by the launcher's
// reader on a player of the trace of its own, before the replay: as far as
// the recorded calls answer it, in the code page of the player.
int CheckRecordedSettings(const RecordedTrace& trace, const TraceRecord& end, bool cut,
                          std::string& problem, std::size_t& line) {
  TracePlayer player(trace.operations, end, cut, trace.version);
  TraceRecorder recorder(player, player, player);
  RecordedSettingsCheck check(trace, player);
  LauncherSettings settings;
  ReadSettings(recorder, settings, &check);
  problem = check.problem;
  line = check.line;
  return problem.empty();
}

}  // namespace

int ReplayTrace(const RecordedTrace& trace, ReplayResult& result, std::string& problem) {
  // A trace that was cut, or interrupted, has recorded all there is: the
  // calls after it are not a divergence, and it has no end to compare.
  const bool complete = !trace.cut && !trace.interrupted;
  const TraceRecord noEnd;
  const TraceRecord& end = complete ? trace.last : noEnd;
  if (!CheckRecordedSettings(trace, end, !complete, problem, result.refusedLine)) return 0;
  TracePlayer player(trace.operations, end, !complete, trace.version);
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
