#ifndef POSRELAY_SHELL_TRACE_FILE_H
#define POSRELAY_SHELL_TRACE_FILE_H

#include <string>

#include "shell/framework.h"
#include "trace/trace_writer.h"

// posrelay.trace beside the executable: the owner's switch for a traced
// run, and where the trace goes.
class TraceFile : public TraceOutput {
 public:
  TraceFile();
  virtual ~TraceFile();

  // Opens the file at `path` to be rewritten, only if it exists already and
  // can be written; zero otherwise, and nothing is created.
  int OpenExisting(const std::wstring& path);

  virtual int Append(const char* bytes, size_t count);
  virtual int Flush();

 private:
  TraceFile(const TraceFile&);
  TraceFile& operator=(const TraceFile&);

  HANDLE file_;
};

#endif
