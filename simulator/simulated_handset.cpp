#include "simulator/simulated_handset.h"

#include "app/launch_sequence.h"

SimulatedHandset::SimulatedHandset(HandsetScenario scenario)
    : SimulatedHandsetParts(std::move(scenario)), TraceRecorder(model, *this, timeline) {}

SimulatedHandset::~SimulatedHandset() = default;

void SimulatedHandset::Reset(const HandsetScenario& scenario) {
  model.Reset(scenario);
  timeline.Clear();
  Restart();
}

void SimulatedHandset::RunTracedLaunch(TraceOutput& output, const TraceOrigin& origin) {
  SimulatedHandsetParts& clock = *this;
  RecordRunToTrace(RunLaunchSequence, *this, clock, output, origin);
}
