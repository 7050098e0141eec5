#ifndef POSRELAY_REPLAY_RUN_PHASES_H
#define POSRELAY_REPLAY_RUN_PHASES_H

#include <vector>

#include "simulator/timeline.h"
#include "trace/trace_vocabulary.h"

// The steps of a run, RunPhase, are the trace vocabulary's
// (trace/trace_vocabulary.h), which gives each operation's phase.
const char* RunPhaseName(RunPhase phase);

// The phase of each event of the timeline, by its operation: the settings
// file, the look for the map and its closing, the data connection, the
// module, the map's start, then the probe, keys and clear command. Pauses,
// the message and the quit belong to the phase they come in; a phase once
// reached is not left.
std::vector<RunPhase> PhasesOf(const Timeline& timeline);

// For each event of the timeline, the number of the position query's
// attempt that starts with it (1, 2, ...), or 0. An attempt starts with the
// pauses before its first command.
std::vector<int> AttemptStartsOf(const Timeline& timeline);

#endif
