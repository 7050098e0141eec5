#include "app/launch_sequence.h"

#include <string>

#include "app/launcher_messages.h"
#include "mapctl/connectivity_probe.h"
#include "mapctl/map_application.h"
#include "mapctl/zoom_and_clear.h"
#include "platform/pause.h"
#include "position/position_query.h"
#include "settings/launcher_settings.h"
#include "settings/settings_file.h"

const unsigned int kFirstLookPauseMs = 100;

namespace {

// Title of the messages when the executable's name cannot be had.
const wchar_t kFallbackTitle[] = L"posrelay";

// The executable's file name without its extension.
std::wstring ApplicationName(PlatformServices& platform) {
  std::wstring name = platform.ExecutablePath();
  const std::wstring::size_type slash = name.rfind(L'\\');
  if (slash != std::wstring::npos) name.erase(0, slash + 1);
  const std::wstring::size_type dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.erase(dot);
  return name.empty() ? kFallbackTitle : name;
}

// Starts the map at the position unless it is still running, then zooms and
// clears it when the settings ask for it and the internet answers. Returns
// the message that ends the run, or 0 when the run went through.
const wchar_t* LaunchMapAt(PlatformServices& platform, const LauncherSettings& settings,
                           const GeoPosition& position) {
  const std::wstring commandLine = FormatMapCommandLine(position);
  WindowHandle window = FindMapWindow(platform);
  Pause(platform, settings.waitstart);
  if (!window) {
    const MapStartResult started = StartMapApplication(platform, settings, commandLine, window);
    if (started == kMapStartFailed) return kMapStartFailedMessage;
    if (started != kMapStarted) return kMapStartTimeoutMessage;
  }
  if ((settings.gzoomtime != 0 || settings.gclear != 0) && ProbeInternet(platform)) {
    if (settings.gzoomtime != 0) ApplyZoomLevel(platform, settings.gzoomtime);
    if (settings.gclear != 0) ClearMapView(platform, window);
  }
  return 0;
}

// The run up to its end; returns the message that stops it, or 0.
const wchar_t* RunSteps(PlatformServices& platform, const LauncherSettings& settings) {
  const WindowHandle running = FindMapWindow(platform);
  if (running) BringToFront(platform, running);
  platform.SleepFor(kFirstLookPauseMs);
  if (settings.greset == 1 && running &&
      CloseMapApplication(platform, running, settings) != kMapClosed) {
    return kMapCloseTimeoutMessage;
  }
  GeoPosition position;
  if (!QueryPosition(platform, settings.comport, settings.wsimdcon, settings.wsimcon, position)) {
    return kNoPositionMessage;
  }
  return LaunchMapAt(platform, settings, position);
}

}  // namespace

void RunLaunchSequence(PlatformServices& platform) {
  LauncherSettings settings;
  ReadSettings(platform, settings);
  const wchar_t* failure = RunSteps(platform, settings);
  if (failure) platform.ShowMessage(ApplicationName(platform), failure);
  platform.RequestQuit(0);
}
