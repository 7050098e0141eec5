#ifndef POSRELAY_TOOLS_POSRELAY_SIM_SETTINGS_CHECK_H
#define POSRELAY_TOOLS_POSRELAY_SIM_SETTINGS_CHECK_H

#include <string>
#include <utility>
#include <vector>

#include "settings/launcher_settings.h"
#include "settings/settings_file.h"

// A settings file read line by line with the launcher's own reader, with
// where each setting came from and what would surprise its author.
struct SettingsCheck {
  LauncherSettings settings;
  // Physical line that set each key last; 0 for the default.
  int setOnLine[kSettingsKeyCount];
  // Surprises in line order, each with its line (0 for none in particular).
  std::vector<std::pair<int, std::string> > warnings;
};

// `bytes` are the file's contents as they would lie beside the launcher.
SettingsCheck CheckSettingsFile(const std::string& bytes);

// The report: each setting with its value and origin, the warnings, then the
// shortest and longest run time these settings allow.
std::string FormatSettingsCheck(const SettingsCheck& check, const std::string& fileName);

// The same as one JSON object for programs, such as the runner under Wine:
// {"settings":{"gpath":{"value":"...","line":n},...},
//  "warnings":[{"line":n,"text":"..."}],
//  "runTimeMs":{"shortest":ms,"shortestNormalEnd":ms|null,"longest":ms}}
std::string FormatSettingsCheckJson(const SettingsCheck& check);

#endif
