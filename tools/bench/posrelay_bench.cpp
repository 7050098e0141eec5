// The logic's own cost, beside the pauses a run is made of (seconds).
#include <benchmark/benchmark.h>

#include <fstream>
#include <iterator>
#include <string>

#include "app/launch_sequence.h"
#include "platform/sim/simulated_handset.h"
#include "position/position_query.h"
#include "position/position_reply.h"
#include "settings/settings_file.h"

namespace {

std::string SampleSettings() {
  std::ifstream file(POSRELAY_SOURCE_DIR "/samples/posrelay.ini", std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

void ReadSampleSettings(benchmark::State& state) {
  HandsetScenario scenario;
  scenario.settingsFile = SampleSettings();
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

// A whole run on the virtual clock: default settings, map not running, first
// attempt answered: 3 s of pauses on the handset.
void WholeRunOnTheVirtualClock(benchmark::State& state) {
  for (auto _ : state) {
    SimulatedHandset handset;
    RunLaunchSequence(handset);
    benchmark::DoNotOptimize(handset.NowMs());
  }
}
BENCHMARK(WholeRunOnTheVirtualClock);

}  // namespace

BENCHMARK_MAIN();
