#ifndef POSRELAY_TRACE_TRACE_VOCABULARY_H
#define POSRELAY_TRACE_TRACE_VOCABULARY_H

// The words a trace is made of. Each operation is named here once; its name
// in the file and its fields are in the table of trace/trace_operations.cpp,
// in this order.
enum TraceOp {
  kOpExecutablePath,
  kOpOpenFile,
  kOpReadLine,
  kOpCloseFile,
  kOpOpenDevice,
  kOpWrite,
  kOpRead,
  kOpCloseDevice,
  kOpSleep,
  kOpFindWindow,
  kOpForeground,
  kOpPostMessage,
  kOpCreateProcess,
  kOpKey,
  kOpPreKey,
  kOpPostKey,
  kOpRegistryOpen,
  kOpRegistrySet,
  kOpRegistryClose,
  kOpLoadLibrary,
  kOpFindFunction,
  kOpReleaseLibrary,
  kOpRasEnumerate,
  kOpRasConnection,
  kOpRasHangUp,
  kOpInternetOpen,
  kOpInternetSetOption,
  kOpOpenUrl,
  kOpInternetRead,
  kOpInternetClose,
  kOpMessage,
  kOpQuit,
  // The run's last line, and the line where a trace that reached its bound
  // leaves operations out.
  kOpEnd,
  kOpCut,
  kTraceOpCount
};

enum TraceFieldKind { kTraceNumber, kTraceBoolean, kTraceText, kTraceReal };

#endif
