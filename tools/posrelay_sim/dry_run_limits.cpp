#include "tools/posrelay_sim/dry_run_limits.h"

#include "settings/settings_file.h"

bool DryRunRefusesKey(const LauncherSettings& settings, int key) {
  if (key == kKeyWaitloop) return settings.waitloop > kMostLoops;
  return key == kKeyGzoomtime && settings.gzoomtime > kMostLoops;
}

int DryRunAccepts(const LauncherSettings& settings, std::string& problem) {
  if (!DryRunRefusesKey(settings, kKeyWaitloop) && !DryRunRefusesKey(settings, kKeyGzoomtime)) {
    return 1;
  }
  problem = "waitloop " + std::to_string(settings.waitloop) + " and gzoomtime " +
            std::to_string(settings.gzoomtime) + ": posrelay-sim runs at most " +
            std::to_string(kMostLoops) + " of each";
  return 0;
}
