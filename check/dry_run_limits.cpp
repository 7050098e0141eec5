#include "check/dry_run_limits.h"

#include "check/check_texts.h"
#include "check/display_text.h"
#include "settings/settings_file.h"
#include "simulator/file_name_characters.h"
#include "simulator/text_encoding.h"

bool DryRunRefusesKey(const LauncherSettings& settings, int key) {
  if (key == kKeyWaitloop) return settings.waitloop > kMostLoops;
  return key == kKeyGzoomtime && settings.gzoomtime > kMostLoops;
}

int DryRunAccepts(const LauncherSettings& settings, ReportLanguage language, std::string& problem) {
  std::string refused;
  for (int key : {kKeyWaitloop, kKeyGzoomtime}) {
    if (!DryRunRefusesKey(settings, key)) continue;
    const std::string value = std::to_string(*NumericSettingsField(settings, key));
    refused += (refused.empty() ? "" : CheckTextIn(language, kTextRefusalSeparator)) +
               CheckTextIn(language, kTextDryRunRefused,
                           {WideToUtf8(SettingsKeyName(key)), value, std::to_string(kMostLoops)});
  }
  if (refused.empty()) return 1;
  problem = refused;
  return 0;
}

std::string PlaceMap(const SettingsCheck& check, HandsetScenario& scenario) {
  const auto text = [&check](CheckText id, std::initializer_list<std::string> arguments = {}) {
    return CheckTextIn(check.language, id, arguments);
  };
  if (!scenario.map.executableExists) return text(kTextMapNowhere) + "\n";
  LauncherSettings defaults;
  SetDefaultSettings(defaults);
  std::string said;
  if (!scenario.map.installedAt && check.gpathMeantUnknown) {
    // At no path the launcher can name: the one meant is not known.
    scenario.map.installedAt = std::wstring();
    said = text(kTextMapMeantUnknown);
  } else if (!scenario.map.installedAt) {
    scenario.map.installedAt = check.meantGpath;
    said = text(kTextMapAtGpath, {DisplayTextIn(check.language, WideToUtf8(check.meantGpath))});
  } else {
    const std::string path = DisplayTextIn(check.language, WideToUtf8(*scenario.map.installedAt));
    said = NameSameFile(*scenario.map.installedAt, defaults.gpath) ? text(kTextMapAtDefault, {path})
                                                                   : text(kTextMapAt, {path});
  }
  const std::wstring& gpath = check.settings.gpath;
  if (!gpath.empty() && gpath.back() == L' ') {
    said += (check.language == kJapanese ? "" : " ") + text(kTextGpathEndBlankAssumed);
  }
  return said + "\n";
}
