#ifndef POSRELAY_POSITION_POSITION_QUERY_H
#define POSRELAY_POSITION_POSITION_QUERY_H

#include <string>

#include "platform/platform_services.h"
#include "position/geo_position.h"

// The command that opens each attempt of the position dialogue, which comes
// after the module's identification and its connect command.
extern const wchar_t kAttemptOpeningCommand[];

// Frees the module's port, asks the module for its position over the port
// named `portName` and converts it to WGS84. Returns 1 with `position` set,
// or 0 with `position` untouched.
int QueryPosition(PlatformServices& platform, const std::wstring& portName, int disconnectPauseMs,
                  int connectPauseMs, GeoPosition& position);

#endif
