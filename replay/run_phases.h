#ifndef POSRELAY_REPLAY_RUN_PHASES_H
#define POSRELAY_REPLAY_RUN_PHASES_H

#include <vector>

#include "simulator/timeline.h"
#include "trace/trace_vocabulary.h"

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

// Where an operation belongs in a run. Its phase is the earliest it can
// belong to, before the data connection's phase is reached and from then on:
// a look for the map comes before the position and again when the map is
// started. A pause, the message and the quit belong to the phase they come
// in; the close request comes before the position, the clear command after.
struct OperationPlace {
  TraceOp op;
  RunPhase phase;
  RunPhase phaseLater;
  ChartLane lane;
};

const OperationPlace& PlaceOf(TraceOp op);

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
