#ifndef POSRELAY_POSITION_POSITION_QUERY_H
#define POSRELAY_POSITION_POSITION_QUERY_H

#include <string>

#include "platform/platform_services.h"
#include "position/geo_position.h"

// The module's dialogue, as the tools that read a run take it: first the
// identification, then the connect command, then attempts of
// kCommandsPerAttempt commands each, every command followed by a pause for
// its reply.
extern const wchar_t kIdentifyCommand[];
// The command that opens each attempt.
extern const wchar_t kAttemptOpeningCommand[];
// The command whose reply carries the position, the third of each attempt.
extern const wchar_t kPositionCommand[];
extern const int kCommandsPerAttempt;
// The pause before each attempt, the one added to it with a slow module,
// and the pause after each command of an attempt.
extern const unsigned int kAttemptPauseMs;
extern const unsigned int kSlowModuleExtraPauseMs;
extern const unsigned int kReplyPauseMs;

// Whether the module's reply to the identification command makes it a slow
// module: one that does not name itself as the fast model, or that has not
// answered yet.
int IsSlowModule(const std::wstring& identification);

// The attempts the query makes at most: more with a slow module.
int PositionAttemptLimit(bool slowModule);

// Frees the module's port, asks the module for its position over the port
// named `portName` and converts it to WGS84. Returns 1 with `position` set,
// or 0 with `position` untouched.
int QueryPosition(PlatformServices& platform, const std::wstring& portName, int disconnectPauseMs,
                  int connectPauseMs, GeoPosition& position);

#endif
