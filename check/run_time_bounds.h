#ifndef POSRELAY_CHECK_RUN_TIME_BOUNDS_H
#define POSRELAY_CHECK_RUN_TIME_BOUNDS_H

#include <cstdint>
#include <optional>

#include "settings/launcher_settings.h"

// How long a run can take with given settings, counting only the launcher's
// own pauses: what the map, the module and the network do is free, so every
// run on every handset takes between `shortestMs` and `longestMs`.
struct RunTimeBounds {
  // The quickest run of all: the map is not running and the module's port
  // does not open, so only the pause after the first look is taken.
  std::uint64_t shortestMs;
  // The quickest run that reaches its normal end; none when the settings
  // leave no way to it (the map must be closed or started, with no checks).
  std::optional<std::uint64_t> shortestNormalEndMs;
  std::uint64_t longestMs;
};

RunTimeBounds ComputeRunTimeBounds(const LauncherSettings& settings);

// When the launcher last looks for the map's window: after a start, one
// pause before it gives up, wait x (waitloop - 1) after the start; after a
// close request one pause later, wait x waitloop after it. Both are 0 with
// no checks at all.
struct MapLooks {
  std::uint64_t lastAfterStartMs;
  std::uint64_t lastAfterCloseMs;
};

MapLooks ComputeMapLooks(const LauncherSettings& settings);

// The least change to wait or, with one check only, to waitloop whose last
// look after a start comes `ms` or later after it: `key` is the setting
// (kKeyWait or kKeyWaitloop) and `value` what to set it to. For settings
// with a positive wait and at least one check.
void LooksReaching(const LauncherSettings& settings, std::uint64_t ms, int& key,
                   std::uint64_t& value);

#endif
