#include "mapctl/map_application.h"

#include "mapctl/fixed_decimal.h"
#include "platform/pause.h"

extern const wchar_t MapWindowClass[] = L"GoogleMapsMobile";

namespace {

const unsigned int kCloseMessage = 16;  // WM_CLOSE
const wchar_t kCommandLineStart[] = L"-URL \"?action=locn&a=@latlon:";

}  // namespace

WindowHandle FindMapWindow(PlatformServices& platform) {
  return platform.FindTopWindow(MapWindowClass);
}

void BringToFront(PlatformServices& platform, WindowHandle window) {
  platform.SetForeground(window | 1);
}

MapCloseResult CloseMapApplication(PlatformServices& platform, WindowHandle window,
                                   const LauncherSettings& settings) {
  platform.PostWindowMessage(window, kCloseMessage, 0, 0);
  Pause(platform, settings.wait);
  for (int check = 0; check < settings.waitloop; ++check) {
    const WindowHandle found = FindMapWindow(platform);
    // The pause follows every look-up, the last one included, so that the
    // map has finished closing before the module is touched.
    Pause(platform, settings.wait);
    if (!found) return kMapClosed;
  }
  return kMapCloseTimedOut;
}

std::wstring FormatMapCommandLine(const GeoPosition& position) {
  return kCommandLineStart + FormatFixedDecimal(position.latitude) + L"," +
         FormatFixedDecimal(position.longitude) + L"\"";
}

MapStartResult StartMapApplication(PlatformServices& platform, const LauncherSettings& settings,
                                   const std::wstring& commandLine, WindowHandle& window) {
  window = 0;
  if (!platform.StartProcess(settings.gpath, commandLine)) return kMapStartFailed;
  for (int check = 0; check < settings.waitloop; ++check) {
    const WindowHandle found = FindMapWindow(platform);
    if (found) {
      BringToFront(platform, found);
      window = found;
      return kMapStarted;
    }
    Pause(platform, settings.wait);
  }
  return kMapStartTimedOut;
}
