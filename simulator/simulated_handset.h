#ifndef POSRELAY_SIMULATOR_SIMULATED_HANDSET_H
#define POSRELAY_SIMULATOR_SIMULATED_HANDSET_H

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "simulator/handset_model.h"
#include "simulator/timeline.h"
#include "trace/trace_recorder.h"
#include "trace/trace_writer.h"

// What a simulated handset is made of, built before the recorder that is
// wrapped around it: the model, its virtual clock as the recorder reads
// it, and the timeline the recorder writes.
struct SimulatedHandsetParts : TraceClock {
  explicit SimulatedHandsetParts(HandsetScenario scenario) : model(std::move(scenario)) {}
  TraceTime ElapsedMs() override { return model.NowMs(); }

  HandsetModel model;
  Timeline timeline;
};

// The handset that tests, dry runs and fuzzers run the launcher on: the
// model, with the recorder that traces runs on the device wrapped around
// it. Every operation lands on the timeline with its virtual time,
// arguments and results, as a trace of the device would hold it.
class SimulatedHandset : private SimulatedHandsetParts, public TraceRecorder {
 public:
  explicit SimulatedHandset(HandsetScenario scenario = HandsetScenario());
  ~SimulatedHandset() override;
  SimulatedHandset(const SimulatedHandset&) = delete;
  SimulatedHandset& operator=(const SimulatedHandset&) = delete;

  // Starts over as a new handset made of `scenario`, as if just built, but
  // keeps the room its timeline and buffers have grown.
  void Reset(const HandsetScenario& scenario);

  // Runs the launcher on this handset as posrelay.exe runs on the device:
  // under the device's recorder too, whose trace goes to `output`.
  void RunTracedLaunch(TraceOutput& output, const TraceOrigin& origin);

  // Time the handset spends outside the launcher's calls, such as a slow
  // write of its trace: the clock moves on, and no operation is made.
  void Spend(unsigned int milliseconds) { model.SleepFor(milliseconds); }

  std::uint64_t NowMs() const { return model.NowMs(); }
  const Timeline& GetTimeline() const { return timeline; }
  const HandleLedger& Ledger() const { return model.Ledger(); }
  const HandsetScenario& Scenario() const { return model.Scenario(); }
  const std::map<std::wstring, unsigned int>& RegistryValues() const {
    return model.RegistryValues();
  }
  std::vector<std::string> Messages() const { return model.Messages(); }
  std::optional<int> QuitCode() const { return model.QuitCode(); }
  std::size_t PositionQueries() const { return model.PositionQueries(); }
};

#endif
