#ifndef POSRELAY_TRACE_TRACE_WRITER_H
#define POSRELAY_TRACE_TRACE_WRITER_H

#include <stddef.h>
#include <string>
#include <vector>

#include "trace/trace_operations.h"
#include "trace/trace_recorder.h"

// Where a trace's bytes go, such as a file.
class TraceOutput {
 public:
  virtual ~TraceOutput() {}
  // Appends bytes; zero when they could not all be written.
  virtual int Append(const char* bytes, size_t count) = 0;
  // Makes what was appended last through a reset; zero on failure.
  virtual int Flush() = 0;
};

// The systems a run is made on, as the trace's first line names them.
extern const char kTraceSystemHandset[];
extern const char kTraceSystemDesktop[];
extern const char kTraceSystemSimulated[];

// What the trace's first line says: the system the run was made on, when by
// its own clock, and the launcher that made it.
struct TraceOrigin {
  const char* system;           // one of the systems above
  const char* launcherVersion;  // "1.5.0.0"
  const char* build;            // the sources the launcher was built from
  std::string os;               // the system's name and version
  std::string started;          // "2026-12-08T01:20:38", the system's local time
  unsigned int codePage;        // the system's ANSI code page
};

// A recorder's operations as a trace: the header, then one JSON line per
// operation. Lines are written out and flushed only where the launcher
// waits anyway, so that a run killed at any moment leaves its trace up to
// its last pause (past the bound: up to the bound). A write that fails ends
// the trace where it stands.
class TraceWriter : public TraceSink {
 public:
  TraceWriter(TraceOutput& output, const TraceOrigin& origin);

  virtual void Take(const TraceRecord& record, const TraceEvent& event);
  virtual void WriteOut();

 private:
  TraceWriter(const TraceWriter&);
  TraceWriter& operator=(const TraceWriter&);

  void Keep(const std::string& line);
  void KeepInTail(const std::string& line);

  TraceOutput& output_;
  std::string line_;
  std::string pending_;  // lines not yet written out
  size_t headBytes_;
  bool works_;
  // Past the bound: the last lines, kept until the next write-out after the
  // cut line, and how many were let go before them. The lines kept start at
  // tailFirst_; those let go before it are emptied, and taken out of the
  // vector once they are half of it, so that each line costs a constant
  // amount on average, as a double-ended queue would.
  bool cut_;
  bool cutWritten_;
  bool lastPartComplete_;  // the line taken last was the message or the end
  TraceTime cutTime_;
  std::vector<std::string> tail_;
  size_t tailFirst_;
  size_t tailBytes_;
  TraceNumber skipped_;
};

// The header: {"format":"posrelay-trace","version":2,...}
void AppendTraceHeader(const TraceOrigin& origin, std::string& line);

// Makes `run` on `platform` under a recorder whose trace, of `origin`, is
// written to `output`.
void RecordRunToTrace(RecordedRun run, PlatformServices& platform, TraceClock& clock,
                      TraceOutput& output, const TraceOrigin& origin);

#endif
