#include "tools/posrelay_sim/dry_run_limits.h"

#include "settings/settings_file.h"
#include "simulator/text_encoding.h"
#include "tools/posrelay_sim/check_texts.h"

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
