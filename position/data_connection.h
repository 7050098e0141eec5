#ifndef POSRELAY_POSITION_DATA_CONNECTION_H
#define POSRELAY_POSITION_DATA_CONNECTION_H

#include "platform/platform_services.h"

// The dial-up connections listed, and so hung up, at most.
extern const unsigned int kConnectionListRecords;

// Hangs up the handset's dial-up data connection so that the module's port
// can be opened, pausing after each successful hang-up. Reports nothing.
void ReleaseDataConnection(PlatformServices& platform, int pauseMs);

#endif
