#ifndef POSRELAY_TESTS_TEST_HELPERS_H
#define POSRELAY_TESTS_TEST_HELPERS_H

#include <string>

#include "settings/launcher_settings.h"
#include "simulator/handset_scenario.h"

// The settings as the launcher reads them from the handset's file.
LauncherSettings SettingsOf(const HandsetScenario& scenario);

// The last line of `lines`, which end in a newline, with its newline; empty
// for no lines.
std::string LastLine(const std::string& lines);

// A file's bytes as they are; empty when it cannot be read.
std::string ReadFile(const std::string& path);
// The bytes of a file shipped under samples/, such as "traces/normal_run.trace".
std::string ReadSample(const std::string& name);

#endif
