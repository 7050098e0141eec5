#ifndef POSRELAY_PLATFORM_RAS_CONNECTION_H
#define POSRELAY_PLATFORM_RAS_CONNECTION_H

#include "platform/platform_services.h"

// The device's RASCONN record: size, connection handle and an entry name of
// at most 20 UTF-16 characters plus terminator, 52 bytes in all. The fields
// are spelled with fixed-size types so the layout is the device's wherever
// the code is compiled.
struct RasConnectionRecord {
  unsigned int size;
  unsigned int connection;
  unsigned short entryName[21];
};

enum { kRasConnectionRecordBytes = 52, kRasEntryNameCharacters = 20 };

typedef char RasConnectionRecordHasDeviceLayout
    [sizeof(RasConnectionRecord) == kRasConnectionRecordBytes ? 1 : -1];

// RasEnumConnections and RasHangUp as the device's core library exports
// them; both return 0 on success, otherwise one of the system's codes
// (platform/system_errors.h).
typedef unsigned int(POSRELAY_WINAPI* RasEnumConnectionsFunction)(RasConnectionRecord* connections,
                                                                  unsigned int* bufferBytes,
                                                                  unsigned int* connectionCount);
typedef unsigned int(POSRELAY_WINAPI* RasHangUpFunction)(void* connection);

#endif
