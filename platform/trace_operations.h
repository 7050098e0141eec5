#ifndef POSRELAY_PLATFORM_TRACE_OPERATIONS_H
#define POSRELAY_PLATFORM_TRACE_OPERATIONS_H

#include <string>

#include "platform/platform_services.h"
#include "platform/trace_record.h"

// Each platform operation as a record holds it: its name and its fields in a
// fixed order. The simulated handset, the recorder of real runs and the
// replay all record through these functions, so a dry run, a trace and a
// replay speak one vocabulary.
//
// Bytes in the system's code page (settings lines, serial traffic) are
// recorded as readable text, converted with `conversions`; when that text
// does not give the very bytes back, a "hex" field holds them as well.

void RecordExecutablePath(TraceRecord& record, TraceTime t, const std::wstring& path);
void RecordOpenFile(TraceRecord& record, TraceTime t, const std::wstring& path, bool ok);
// A line read, or with `ok` false the end of the file.
void RecordReadLine(TraceRecord& record, TraceTime t, bool ok, const std::string& line,
                    PlatformServices& conversions);
void RecordCloseFile(TraceRecord& record, TraceTime t);

void RecordOpenDevice(TraceRecord& record, TraceTime t, const std::wstring& name, bool ok);
// `bytes` written, of which the device reported `count`.
void RecordWrite(TraceRecord& record, TraceTime t, const std::string& bytes, int count,
                 PlatformServices& conversions);
// `bytes` read, with the count the device reported.
void RecordRead(TraceRecord& record, TraceTime t, const std::string& bytes, int count,
                PlatformServices& conversions);
void RecordCloseDevice(TraceRecord& record, TraceTime t);

void RecordSleep(TraceRecord& record, TraceTime t, unsigned int milliseconds);

void RecordFindWindow(TraceRecord& record, TraceTime t, const std::wstring& className,
                      WindowHandle window);
void RecordForeground(TraceRecord& record, TraceTime t, WindowHandle window);
void RecordPostMessage(TraceRecord& record, TraceTime t, WindowHandle window, unsigned int message,
                       std::size_t wParam, std::ptrdiff_t lParam, bool ok);
void RecordCreateProcess(TraceRecord& record, TraceTime t, const std::wstring& executable,
                         const std::wstring& commandLine, bool ok);

void RecordKey(TraceRecord& record, TraceTime t, unsigned char virtualKey, bool keyUp);
void RecordPreKey(TraceRecord& record, TraceTime t);
void RecordPostKey(TraceRecord& record, TraceTime t);

void RecordRegistryOpen(TraceRecord& record, TraceTime t, const std::wstring& path, bool ok);
void RecordRegistrySet(TraceRecord& record, TraceTime t, const std::wstring& name,
                       unsigned int value, bool ok);
void RecordRegistryClose(TraceRecord& record, TraceTime t);

void RecordLoadLibrary(TraceRecord& record, TraceTime t, const std::wstring& name, bool ok);
void RecordFindFunction(TraceRecord& record, TraceTime t, const std::wstring& name, bool ok);
void RecordReleaseLibrary(TraceRecord& record, TraceTime t);
// The dial-up functions: connections listed (0 unless `result` is success),
// and a hang-up with the entry name the listing gave that handle.
void RecordRasEnumerate(TraceRecord& record, TraceTime t, unsigned int count, unsigned int result);
void RecordRasHangUp(TraceRecord& record, TraceTime t, const std::string& entryUtf8,
                     unsigned int handle, bool ok);

void RecordInternetOpen(TraceRecord& record, TraceTime t, const std::wstring& agent,
                        unsigned int accessType, bool ok);
// The option's value is recorded when it is 4 bytes long, 0 otherwise.
void RecordInternetSetOption(TraceRecord& record, TraceTime t, unsigned int option,
                             const void* value, unsigned int size, bool ok);
void RecordOpenUrl(TraceRecord& record, TraceTime t, const std::wstring& url, bool ok);
void RecordInternetRead(TraceRecord& record, TraceTime t, unsigned int bytesRead, bool ok);
void RecordInternetClose(TraceRecord& record, TraceTime t, bool urlHandle);

void RecordMessage(TraceRecord& record, TraceTime t, const std::wstring& title,
                   const std::wstring& text);
void RecordQuit(TraceRecord& record, TraceTime t, int exitCode);

// The run's outcome, after its last operation: the map shown or a message,
// with the module's position (decimal degrees) when one was had.
void RecordEnd(TraceRecord& record, TraceTime t, bool messageShown, bool positionKnown,
               double latitude, double longitude);
// A trace that reached its bound of `limitBytes` and records no more.
void RecordCut(TraceRecord& record, TraceTime t, unsigned int limitBytes);

// The vocabulary as data, for reading traces back: each operation's fields
// in order. Arguments are what the launcher passes and a replay compares;
// results are what the system answered and a replay hands back; a build
// setting is shown but not compared, since it belongs to the build that
// made the trace rather than to the launcher's behaviour.
enum TraceFieldRole { kTraceArgument, kTraceResult, kTraceBuildSetting };

struct TraceFieldShape {
  const char* name;
  TraceFieldKind kind;
  TraceFieldRole role;
  bool optional;
};

struct TraceOperationShape {
  const char* op;
  const TraceFieldShape* fields;
  unsigned int fieldCount;
};

// The operation of that name (the end and cut lines included), or 0.
const TraceOperationShape* FindTraceOperation(const char* op, std::size_t length);

#endif
