#ifndef POSRELAY_PLATFORM_PAUSE_H
#define POSRELAY_PLATFORM_PAUSE_H

#include "platform/platform_services.h"

// Sleeps for a configured pause. The settings hold pauses as signed numbers
// while the platform's sleep takes an unsigned count, so a negative pause
// would become a wait of weeks; it is taken as no pause instead.
void Pause(PlatformServices& platform, int milliseconds);

// The milliseconds that a configured pause sleeps.
unsigned int PauseMilliseconds(int milliseconds);

#endif
