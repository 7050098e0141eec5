#ifndef POSRELAY_SHELL_TRACED_LAUNCH_H
#define POSRELAY_SHELL_TRACED_LAUNCH_H

#include "platform/platform_services.h"

// Runs the launch sequence on the platform. When posrelay.trace lies beside
// the executable at the start and can be written, the run rewrites it with
// its trace; otherwise nothing is added to the run.
void RunLaunchTracedWhenAsked(PlatformServices& platform);

#endif
