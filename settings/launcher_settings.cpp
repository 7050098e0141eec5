#include "settings/launcher_settings.h"

void SetDefaultSettings(LauncherSettings& settings) {
  settings.gpath = L"\\Program Files\\GoogleMaps\\GoogleMaps.exe";
  settings.greset = 1;
  settings.gclear = 0;
  settings.wait = 4000;
  settings.waitloop = 10;
  settings.waitstart = 0;
  settings.wsimdcon = 1000;
  settings.wsimcon = 1000;
  settings.gzoomtime = 0;
  settings.comport = L"COM1:";
}
