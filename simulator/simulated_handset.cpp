#include "simulator/simulated_handset.h"

SimulatedHandset::SimulatedHandset(HandsetScenario scenario)
    : SimulatedHandsetParts(std::move(scenario)), TraceRecorder(model, *this, timeline) {}

SimulatedHandset::~SimulatedHandset() = default;

void SimulatedHandset::Reset(const HandsetScenario& scenario) {
  model.Reset(scenario);
  timeline.Clear();
  Restart();
}
