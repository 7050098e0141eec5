#include "position/data_connection.h"

#include <string.h>

#include <vector>

#include "platform/pause.h"
#include "platform/ras_connection.h"

const unsigned int kConnectionListRecords = 10;

namespace {

const wchar_t kCoreLibrary[] = L"coredll.dll";
const wchar_t kDataConnectionEntry[] = L"CLUB AIR-EDGE";

bool HasEntryName(const RasConnectionRecord& record, const wchar_t* name) {
  int i = 0;
  for (; i <= kRasEntryNameCharacters && name[i] != L'\0'; ++i) {
    if (record.entryName[i] != static_cast<unsigned short>(name[i])) return false;
  }
  return i <= kRasEntryNameCharacters && record.entryName[i] == 0;
}

int HangUp(RasHangUpFunction hangUp, const RasConnectionRecord& record) {
  if (record.connection == 0) return 0;
  // The device's connection handles are 32-bit values in the record.
  // NOLINTNEXTLINE(performance-no-int-to-ptr)
  void* const connection = reinterpret_cast<void*>(static_cast<size_t>(record.connection));
  return hangUp(connection) == 0;
}

void HangUpConnections(PlatformServices& platform, RasEnumConnectionsFunction enumerate,
                       RasHangUpFunction hangUp, int pauseMs) {
  std::vector<RasConnectionRecord> list(kConnectionListRecords);
  // Zeroed here: the device's library is not known to zero a vector's records.
  memset(&list[0], 0, list.size() * sizeof list[0]);
  list[0].size = kRasConnectionRecordBytes;
  unsigned int bufferBytes = kConnectionListRecords * kRasConnectionRecordBytes;
  unsigned int count = 0;
  if (enumerate(&list[0], &bufferBytes, &count) != 0 || count == 0) return;
  // Never walk past the list, whatever count the system reports.
  if (count > kConnectionListRecords) count = kConnectionListRecords;

  // A single active connection is the module's, whatever its name.
  if (count == 1) {
    if (HangUp(hangUp, list[0])) Pause(platform, pauseMs);
    return;
  }
  for (unsigned int i = 0; i < count; ++i) {
    if (!HasEntryName(list[i], kDataConnectionEntry)) continue;
    if (!HangUp(hangUp, list[i])) return;
    Pause(platform, pauseMs);
  }
}

}  // namespace

void ReleaseDataConnection(PlatformServices& platform, int pauseMs) {
  const LibraryHandle library = platform.OpenLibrary(kCoreLibrary);
  if (!library) return;
  // A system without these functions has no dial-up connection to release.
  const RasEnumConnectionsFunction enumerate = reinterpret_cast<RasEnumConnectionsFunction>(
      platform.FindFunction(library, L"RasEnumConnections"));
  const RasHangUpFunction hangUp =
      reinterpret_cast<RasHangUpFunction>(platform.FindFunction(library, L"RasHangUp"));
  if (enumerate && hangUp) HangUpConnections(platform, enumerate, hangUp, pauseMs);
  platform.ReleaseLibrary(library);
}
