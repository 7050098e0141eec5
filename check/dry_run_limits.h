#ifndef POSRELAY_CHECK_DRY_RUN_LIMITS_H
#define POSRELAY_CHECK_DRY_RUN_LIMITS_H

#include <string>

#include "check/report_language.h"
#include "check/settings_check.h"
#include "settings/launcher_settings.h"
#include "simulator/handset_scenario.h"

// The launcher loops as often as waitloop and gzoomtime say, and every
// check and key press is recorded and shown one by one: a dry run and a
// replay run at most this many of each.
inline constexpr int kMostLoops = 100000;

// Whether `key` (a SettingsKey) holds a value that a dry run does not run.
bool DryRunRefusesKey(const LauncherSettings& settings, int key);

// Returns 1 when a dry run runs the launcher with these settings; 0 with
// `problem` in `language` when it does not, in its owner's words: "waitloop
// is 2000000, over the 100000 checks or key presses a dry run shows one by
// one".
int DryRunAccepts(const LauncherSettings& settings, ReportLanguage language, std::string& problem);

// Puts the map where a dry run of the checked file takes it to be, unless
// the handset's state places it: at the path gpath's author meant
// (SettingsCheck::meantGpath), so that a gpath the handset reads otherwise
// fails to start it, as on the handset; at none where bytes of gpath are no
// character, and what was meant is not known. Returns what the run takes of the
// map, in sentences in the check's language, for the dry run to say.
std::string PlaceMap(const SettingsCheck& check, HandsetScenario& scenario);

#endif
