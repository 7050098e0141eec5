#ifndef POSRELAY_TRACE_TRACE_VOCABULARY_H
#define POSRELAY_TRACE_TRACE_VOCABULARY_H

// The words a trace is made of. Each operation is named here once; its name
// in the file, its fields, its phase and its lane on the chart are in the
// table of trace/trace_operations.cpp, in this order.
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

// The steps of a run as its reader thinks of them, in the order they come;
// kPhaseWhereItComes is for an operation that belongs to the phase it comes
// in (a pause, the message).
enum RunPhase {
  kPhaseSettings,
  kPhaseMap,
  kPhaseConnection,
  kPhaseModule,
  kPhaseMapStart,
  kPhaseZoomAndClear,
  kRunPhaseCount,
  kPhaseWhereItComes
};

// The chart's lanes. Besides them an operation may take the lane of its
// phase (a pause), be drawn across the lanes (the message), or not be
// drawn; in the zoom and clear phase every operation of neither a lane nor
// across is drawn on the internet and keys lane.
enum ChartLane {
  kLaneMap,
  kLaneConnection,
  kLaneModule,
  kLaneInternetAndKeys,
  kLaneCount,
  kLaneOfPhase,
  kLaneAcross,
  kNoLane
};

#endif
