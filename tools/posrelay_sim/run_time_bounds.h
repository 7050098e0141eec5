#ifndef POSRELAY_TOOLS_POSRELAY_SIM_RUN_TIME_BOUNDS_H
#define POSRELAY_TOOLS_POSRELAY_SIM_RUN_TIME_BOUNDS_H

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

#endif
