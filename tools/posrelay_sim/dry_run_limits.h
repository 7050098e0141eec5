#ifndef POSRELAY_TOOLS_POSRELAY_SIM_DRY_RUN_LIMITS_H
#define POSRELAY_TOOLS_POSRELAY_SIM_DRY_RUN_LIMITS_H

#include <string>

#include "settings/launcher_settings.h"

// The launcher loops as often as waitloop and gzoomtime say, and every
// check and key press is recorded and printed: posrelay-sim runs at most
// this many of each, in a dry run and in a replay.
inline constexpr int kMostLoops = 100000;

// Whether `key` (a SettingsKey) holds a value that posrelay-sim does not run.
bool DryRunRefusesKey(const LauncherSettings& settings, int key);

// Returns 1 when posrelay-sim runs the launcher with these settings; 0 with
// `problem` ("waitloop 2000000000 and gzoomtime 0: posrelay-sim runs at
// most 100000 of each") when it does not.
int DryRunAccepts(const LauncherSettings& settings, std::string& problem);

#endif
