#ifndef POSRELAY_SETTINGS_LAUNCHER_SETTINGS_H
#define POSRELAY_SETTINGS_LAUNCHER_SETTINGS_H

#include <string>

// The ten settings of one run, one field per key of posrelay.ini.
struct LauncherSettings {
  std::wstring gpath;    // executable of the map application
  int greset;            // 1: close a running map application first
  int gclear;            // non-zero: send the map its clear command at the end
  int wait;              // ms between checks for the map window
  int waitloop;          // number of checks for the map window
  int waitstart;         // ms after the second look-up for the map window
  int wsimdcon;          // ms after each hang-up of the data connection
  int wsimcon;           // ms after the module's "AT@K" command
  int gzoomtime;         // zoom: the presses of "3" that zoom out, then n - 1 of "1"
  std::wstring comport;  // device name of the module's serial port
};

// Longest values the text fields take: a full Windows path for gpath, and
// room for names such as "\\.\COM10" for comport. A longer value leaves the
// field as it was.
enum { kGpathCapacity = 259, kComportCapacity = 15 };

void SetDefaultSettings(LauncherSettings& settings);

#endif
