#ifndef POSRELAY_MAPCTL_ZOOM_AND_CLEAR_H
#define POSRELAY_MAPCTL_ZOOM_AND_CLEAR_H

#include "platform/platform_services.h"

// The presses of "3" that zoom out all the way, the pause before each press,
// and the pause that lets the handset settle: twice before the zoom's
// presses, once before the clear command.
extern const int kPressesOfThree;
extern const unsigned int kKeyPauseMs;
extern const unsigned int kSettlePauseMs;

// Sets "Status22" to 7 in the handset's status key when the key exists, then
// presses "3" kPressesOfThree times and "1" zoomLevel - 1 times. The keys go
// to whatever window has the focus.
void ApplyZoomLevel(PlatformServices& platform, int zoomLevel);

// Posts the map window its clear command after a pause to settle.
void ClearMapView(PlatformServices& platform, WindowHandle window);

#endif
