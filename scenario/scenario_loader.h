#ifndef POSRELAY_SCENARIO_SCENARIO_LOADER_H
#define POSRELAY_SCENARIO_SCENARIO_LOADER_H

#include <string>
#include <string_view>

#include "simulator/handset_scenario.h"

// Reads a handset description in JSON over the default handset: every field
// is optional, an unknown field is an error. Texts in the JSON are Unicode;
// those the module sends become Shift-JIS bytes. Returns 1 with `scenario`
// filled, or 0 with `error` naming the field and the problem, such as
// "module.positionReplies[1]: expected a string".
int LoadScenario(std::string_view json, HandsetScenario& scenario, std::string& error);

#endif
