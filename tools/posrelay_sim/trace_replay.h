#ifndef POSRELAY_TOOLS_POSRELAY_SIM_TRACE_REPLAY_H
#define POSRELAY_TOOLS_POSRELAY_SIM_TRACE_REPLAY_H

#include <cstdint>
#include <string>

#include "platform/trace_record.h"
#include "settings/launcher_settings.h"
#include "tools/posrelay_sim/trace_reader.h"

// The launcher loops as often as waitloop and gzoomtime say, and every
// check and key press is recorded and printed: posrelay-sim runs at most
// this many of each.
inline constexpr int kMostLoops = 100000;

// Empty when posrelay-sim runs the launcher with these settings, else why
// not: "waitloop N and gzoomtime M: posrelay-sim runs at most 100000 of each".
std::string TooManyLoops(const LauncherSettings& settings);

// What the launch sequence did when a trace was played back to it.
struct ReplayResult {
  bool diverged = false;
  std::size_t played = 0;     // recorded operations that the launcher's calls matched
  TraceRecord replayed;       // those calls, each at the time its pauses account for
  TraceRecord divergentCall;  // the call that did not match; empty when none was made
  std::uint64_t pausesMs = 0;
};

// Runs the launch sequence once against the trace. Returns 0 with `problem`
// for a trace whose settings ask for more loops than posrelay-sim runs.
int ReplayTrace(const RecordedTrace& trace, ReplayResult& result, std::string& problem);

#endif
