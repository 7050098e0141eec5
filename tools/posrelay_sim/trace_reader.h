#ifndef POSRELAY_TOOLS_POSRELAY_SIM_TRACE_READER_H
#define POSRELAY_TOOLS_POSRELAY_SIM_TRACE_READER_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/trace_operations.h"
#include "platform/trace_record.h"

// A trace as the launcher writes it to posrelay.trace, read back: its
// header, its operations, and its last line, which is the run's end or
// says that the trace was cut. A trace may also end at its message: the
// launcher writes it out before the message is shown, so it is all there is
// when the handset is reset while the message is on screen.
struct RecordedTrace {
  int version = 0;       // the trace format's
  std::string system;    // "handset", "desktop" or "simulated"
  std::string launcher;  // the launcher's version
  // Since version 2: the launcher's build, the system and when the run was.
  std::string build;
  std::string os;
  std::string started;
  TraceRecord operations;
  std::vector<std::size_t> lines;  // the file's line of each operation
  TraceRecord last;                // the end line, or the cut line; empty when unfinished
  std::size_t lastLine = 0;
  bool cut = false;
  bool unfinished = false;  // ends at its message
};

// Times beyond this are refused: far longer than any run, and the most that
// a double, in which the charts place them, holds exactly.
inline constexpr std::uint64_t kLatestTraceMs = std::uint64_t(1) << 53;
// Replays read texts in the handset's code page.
inline constexpr int kTraceCodePage = 932;

// Reads a whole trace. Returns 1 with `trace` filled, or 0 with `error` as
// "line N: what is wrong", for a file that is not a trace, is of another
// version, is malformed or stops before its last line.
int ReadTrace(std::string_view bytes, RecordedTrace& trace, std::string& error);

#endif
