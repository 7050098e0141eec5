#ifndef POSRELAY_TOOLS_POSRELAY_SIM_TRACE_READER_H
#define POSRELAY_TOOLS_POSRELAY_SIM_TRACE_READER_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "platform/trace_record.h"

// A trace as the launcher writes it to posrelay.trace, read back: its
// header, its operations, and its last line, which is the run's end or
// says that the trace was cut.
struct RecordedTrace {
  std::string system;    // "handset" or "desktop"
  std::string launcher;  // the launcher's version
  TraceRecord operations;
  std::vector<std::size_t> lines;  // the file's line of each operation
  TraceRecord last;                // the end line, or the cut line
  std::size_t lastLine = 0;
  bool cut = false;
};

// The format and version this reader takes.
inline constexpr char kTraceFormat[] = "posrelay-trace";
inline constexpr int kTraceVersion = 1;
// Replays read texts in the handset's code page.
inline constexpr int kTraceCodePage = 932;

// Reads a whole trace. Returns 1 with `trace` filled, or 0 with `error` as
// "line N: what is wrong", for a file that is not a trace, is of another
// version, is malformed or stops before its last line.
int ReadTrace(std::string_view bytes, RecordedTrace& trace, std::string& error);

#endif
