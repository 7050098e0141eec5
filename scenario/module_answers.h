#ifndef POSRELAY_SCENARIO_MODULE_ANSWERS_H
#define POSRELAY_SCENARIO_MODULE_ANSWERS_H

#include <cstdio>
#include <string>

#include "simulator/handset_scenario.h"

// The module of the scenario's handset, for a module simulator outside the
// dry run: reads the bytes written to the module's port from `in` and, for
// each command as its carriage return arrives, writes to `out` one JSON line
// {"command":...,"reply":...,"hex":...}, flushed: the command, and the
// reply the simulated handset's module gives, as text and as its bytes in
// hex. Texts are UTF-8, read from Shift-JIS. Returns 1 at the end of `in`,
// or 0 with `problem` when the module has no port.
int AnswerModule(const HandsetScenario& scenario, std::FILE* in, std::FILE* out,
                 std::string& problem);

#endif
