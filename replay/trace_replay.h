#ifndef POSRELAY_REPLAY_TRACE_REPLAY_H
#define POSRELAY_REPLAY_TRACE_REPLAY_H

#include <cstdint>
#include <string>

#include "replay/trace_reader.h"
#include "trace/trace_record.h"

// What the launch sequence did when a trace was played back to it.
struct ReplayResult {
  bool diverged = false;
  bool endDiffers = false;    // every operation matched, the end line did not
  std::size_t played = 0;     // recorded operations that the launcher's calls matched
  TraceRecord replayed;       // those calls, each at the time its pauses account for
  TraceRecord divergentCall;  // the call that did not match, or the end line the
                              // replayed calls make; empty when none was made
  std::uint64_t pausesMs = 0;
  std::size_t refusedLine = 0;  // the line whose settings ReplayTrace refuses; 0: none
};

// Runs the launch sequence once against the trace, and compares its end
// line, if it has one, with the end the launcher's own record of the
// replayed calls gives. Returns 0 with `problem` and `result.refusedLine`
// for a trace whose settings
// ask for more loops than posrelay-sim runs.
int ReplayTrace(const RecordedTrace& trace, ReplayResult& result, std::string& problem);

#endif
