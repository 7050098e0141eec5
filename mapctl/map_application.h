#ifndef POSRELAY_MAPCTL_MAP_APPLICATION_H
#define POSRELAY_MAPCTL_MAP_APPLICATION_H

#include <string>

#include "platform/platform_services.h"
#include "position/geo_position.h"
#include "settings/launcher_settings.h"

// Window class of the map application's main window; windows are found by
// class alone.
extern const wchar_t MapWindowClass[];

enum MapCloseResult { kMapCloseTimedOut = 0, kMapClosed = 1 };

// Callers compare with these names: only kMapStarted means a window.
enum MapStartResult { kMapStartFailed = 0, kMapStartTimedOut = 1, kMapStarted = 2 };

// The map window, or 0 when the map application shows none.
WindowHandle FindMapWindow(PlatformServices& platform);

// Asks for the window to become the foreground window; the platform takes
// the handle with its lowest bit set.
void BringToFront(PlatformServices& platform, WindowHandle window);

// Posts the close request, then checks up to `waitloop` times, `wait` ms
// apart, until no map window is left.
MapCloseResult CloseMapApplication(PlatformServices& platform, WindowHandle window,
                                   const LauncherSettings& settings);

// -URL "?action=locn&a=@latlon:<latitude>,<longitude>" with six decimals
// and a point whatever the locale.
std::wstring FormatMapCommandLine(const GeoPosition& position);

// Starts `gpath` with the command line and checks up to `waitloop` times,
// `wait` ms apart, for its window, which is brought to the front and stored
// in `window` on kMapStarted; `window` is 0 on the other results.
MapStartResult StartMapApplication(PlatformServices& platform, const LauncherSettings& settings,
                                   const std::wstring& commandLine, WindowHandle& window);

#endif
