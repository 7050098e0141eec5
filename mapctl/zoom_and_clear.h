#ifndef POSRELAY_MAPCTL_ZOOM_AND_CLEAR_H
#define POSRELAY_MAPCTL_ZOOM_AND_CLEAR_H

#include "platform/platform_services.h"

// Sets "Status22" to 7 in the handset's status key when the key exists, then
// presses "3" seventeen times and "1" zoomLevel - 1 times, 50 ms apart. The
// keys go to whatever window has the focus.
void ApplyZoomLevel(PlatformServices& platform, int zoomLevel);

// Posts the map window its clear command after a pause of 100 ms.
void ClearMapView(PlatformServices& platform, WindowHandle window);

#endif
