#ifndef POSRELAY_REPLAY_TRACE_READER_H
#define POSRELAY_REPLAY_TRACE_READER_H

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "trace/trace_operations.h"
#include "trace/trace_record.h"

// Why a file was not read as a trace.
enum TraceRefusal {
  kTraceNotRefused,
  kTraceEmpty,
  kTraceTooLarge,     // larger than kLargestTraceFileBytes
  kTraceNotATrace,    // its first line is not a trace's header
  kTraceNewerFormat,  // a header of a format version this reader does not know
  kTraceDamagedLine,  // any other line, or the header, is not as the recorder writes it
};

// A trace as the launcher writes it to posrelay.trace, read back: its
// header, its operations, and its last line, which is the run's end or
// says that the trace was cut. A run that was killed, reset or hung leaves
// a trace without that line, its own last line perhaps cut part-way: it is
// read as far as it goes, as an interrupted trace.
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
  TraceRecord last;                // the end line, or the cut line; empty when interrupted
  std::size_t lastLine = 0;        // its line; when interrupted, the last line read
  bool cut = false;
  // After a cut of version 2: the run's last part, the end line with it.
  TraceRecord tail;
  bool interrupted = false;
  std::size_t brokenLine = 0;  // an interrupted trace's last line, cut part-way; 0: none
  // When ReadTrace refuses the file: why, and the line it names; of a
  // newer format, `version` is the header's.
  TraceRefusal refusal = kTraceNotRefused;
  std::size_t refusedLine = 0;
};

// Reads a whole trace. Returns 1 with `trace` filled, or 0 with `error` as
// "line N: what is wrong", for a file that is not a trace, is of another
// version, is malformed or holds what no run records; or with what is wrong
// with the file as a whole, for one larger than kLargestTraceFileBytes (trace/trace_operations.h,
// with the format's other limits); `trace.refusal` then says which.
int ReadTrace(std::string_view bytes, RecordedTrace& trace, std::string& error);

// The operation of that name (the end and cut lines included), or null.
const TraceOperationShape* FindTraceOperation(const char* op, std::size_t length);

#endif
