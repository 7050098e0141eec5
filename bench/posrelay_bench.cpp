// The logic's own cost, beside the pauses a run is made of (seconds).
#include <benchmark/benchmark.h>

#include <string>

#include "app/launch_sequence.h"
#include "position/position_query.h"
#include "position/position_reply.h"
#include "settings/settings_file.h"
#include "shell/res/version.h"
#include "simulator/simulated_handset.h"
#include "tests/test_helpers.h"
#include "trace/trace_recorder.h"
#include "trace/trace_writer.h"

namespace {

void ReadSampleSettings(benchmark::State& state) {
  HandsetScenario scenario;
  scenario.settingsFile = ReadSample("posrelay.ini");
  for (auto _ : state) {
    SimulatedHandset handset(scenario);
    LauncherSettings settings;
    ReadSettings(handset, settings);
    benchmark::DoNotOptimize(settings.wait);
  }
}
BENCHMARK(ReadSampleSettings);

void ParseModuleReply(benchmark::State& state) {
  const std::wstring reply = L"\r\n@LBC: N35.41.22,E139.45.12\r\n\r\nOK\r\n";
  for (auto _ : state) {
    DmsAngle latitude;
    DmsAngle longitude;
    benchmark::DoNotOptimize(ParsePositionReply(reply, latitude, longitude));
  }
}
BENCHMARK(ParseModuleReply);

void QueryPositionFirstAttempt(benchmark::State& state) {
  for (auto _ : state) {
    SimulatedHandset handset;
    GeoPosition position;
    benchmark::DoNotOptimize(QueryPosition(handset, L"COM1:", 1000, 1000, position));
  }
}
BENCHMARK(QueryPositionFirstAttempt);

// The handsets of the whole runs: 0, the default handset (37 operations,
// 3 s of pauses); 1, a module that never gives a position (724 operations,
// 51 s of pauses).
HandsetScenario RunScenario(std::int64_t which) {
  HandsetScenario scenario;
  if (which == 1) {
    scenario.module.identification.clear();
    scenario.module.positionReplies = {"\r\nERROR\r\n"};
  }
  return scenario;
}

// A whole run on the virtual clock, with the handset's own bookkeeping.
void WholeRunOnTheVirtualClock(benchmark::State& state) {
  const HandsetScenario scenario = RunScenario(state.range(0));
  std::size_t operations = 0;
  for (auto _ : state) {
    SimulatedHandset handset(scenario);
    RunLaunchSequence(handset);
    operations = handset.GetTimeline().Operations().Size();
  }
  state.counters["operations"] = static_cast<double>(operations);
}
BENCHMARK(WholeRunOnTheVirtualClock)->Arg(0)->Arg(1);

struct DiscardingOutput : TraceOutput {
  int Append(const char*, std::size_t count) override {
    bytes += count;
    return 1;
  }
  int Flush() override { return 1; }
  std::size_t bytes = 0;
};

// The same run traced: the recorder's cost per operation is the difference
// from the run above, divided by its operations.
void WholeRecordedRunOnTheVirtualClock(benchmark::State& state) {
  const HandsetScenario scenario = RunScenario(state.range(0));
  const TraceOrigin origin = {"handset",         POSRELAY_VERSION_DOTTED, "bench",
                              "Windows CE 4.20", "2026-12-08T00:00:00",   932};
  std::size_t bytes = 0;
  for (auto _ : state) {
    SimulatedHandset handset(scenario);
    DiscardingOutput output;
    handset.RunTracedLaunch(output, origin);
    bytes = output.bytes;
  }
  state.counters["trace_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(WholeRecordedRunOnTheVirtualClock)->Arg(0)->Arg(1);

}  // namespace

BENCHMARK_MAIN();
