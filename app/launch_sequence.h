#ifndef POSRELAY_APP_LAUNCH_SEQUENCE_H
#define POSRELAY_APP_LAUNCH_SEQUENCE_H

#include "platform/platform_services.h"

// The pause after the first look for the running map, which every run takes.
extern const unsigned int kFirstLookPauseMs;

// The launcher's whole run: settings, closing the running map, the position
// query, starting the map there, zoom and clear. Each failure that stops the
// run shows its message; every path ends with the quit request.
void RunLaunchSequence(PlatformServices& platform);

#endif
