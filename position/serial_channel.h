#ifndef POSRELAY_POSITION_SERIAL_CHANNEL_H
#define POSRELAY_POSITION_SERIAL_CHANNEL_H

#include <string>

#include "platform/platform_services.h"

// Size of the channel's byte buffers in each direction, and so the longest
// command written and the longest reply read at once.
enum { kChannelBufferBytes = 256 };

// Writes one command, converted to the ANSI code page. Returns the count of
// bytes the port reports written.
int SendCommand(PlatformServices& platform, DeviceHandle port, const std::wstring& command);

// One read of whatever has arrived, at most 256 bytes, converted to text that
// replaces `reply`; the text ends at a zero byte. Returns the bytes read (0
// when nothing arrived or the read failed).
int ReadResponse(PlatformServices& platform, DeviceHandle port, std::wstring& reply);

// Ends a reply's text at its first zero character, as the read of it does.
void EndReplyAtZero(std::wstring& reply);

#endif
