#ifndef POSRELAY_SCENARIO_SCENARIO_WRITER_H
#define POSRELAY_SCENARIO_SCENARIO_WRITER_H

#include <string>

#include "simulator/handset_scenario.h"

// The handset as a scenario in the JSON that LoadScenario reads, every field
// of it given, so that read back it is the same handset. One top-level field
// a line; the fields of a section or the items of a list follow each other,
// a line broken between two of them where it would pass 72 columns, and
// continued under the first. Texts are UTF-8, those the module sends read
// from Shift-JIS.
std::string WriteScenario(const HandsetScenario& scenario);

#endif
