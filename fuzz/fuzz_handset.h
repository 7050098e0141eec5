#ifndef POSRELAY_FUZZ_FUZZ_HANDSET_H
#define POSRELAY_FUZZ_FUZZ_HANDSET_H

#include "simulator/simulated_handset.h"

// The one simulated handset of the process, started over as `scenario` for
// each input: building a new one costs more than most inputs' runs.
inline SimulatedHandset& HandsetFor(const HandsetScenario& scenario) {
  static SimulatedHandset handset;
  handset.Reset(scenario);
  return handset;
}

#endif
