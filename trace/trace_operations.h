#ifndef POSRELAY_TRACE_TRACE_OPERATIONS_H
#define POSRELAY_TRACE_TRACE_OPERATIONS_H

#include <string>

#include "platform/platform_services.h"
#include "trace/trace_record.h"

// The trace's name and version, as its first line gives them. Version 2 added
// the handles, the sizes asked, the dial-up connection list, the system's
// error codes and, in the header, when and on what the run was made.
const char kTraceFormatName[] = "posrelay-trace";
const int kTraceFormatVersion = 2;

// The format's limits. Most bytes a trace takes: a run that reaches the
// bound keeps its beginning and its last part, so that its message and its
// end are always there, with a line saying how many operations were left
// out between.
const size_t kTraceLimitBytes = static_cast<size_t>(1) << 20;  // 1 MiB
const size_t kTraceTailBytes = static_cast<size_t>(1) << 18;   // 256 KiB
// Room kept for the line that says what was left out.
const size_t kTraceCutLineBytes = 128;
// Where the beginning ends: the bytes before the cut line are at most this.
const size_t kTraceHeadBytes = kTraceLimitBytes - kTraceTailBytes - kTraceCutLineBytes;
// The longest line the recorder writes is a serial read or a settings line
// of up to 256 bytes, each shown as up to six characters of escaped text
// and again as two hex digits (about 2 kB), or a path of 260 characters of
// up to three bytes each: a reader refuses a line four times that long.
const size_t kLongestTraceLineBytes = 8192;
// A file several times the recorder's bound is refused before it is read.
const size_t kLargestTraceFileBytes = static_cast<size_t>(4) << 20;
// Times beyond this are refused: far longer than any run, and the most that
// a double, in which the charts place them, holds exactly.
const TraceTime kLatestTraceMs = static_cast<TraceTime>(1) << 53;
// Replays read texts in the handset's code page.
const int kTraceCodePage = 932;

// Each platform operation as a record holds it: its name and its fields in a
// fixed order. The simulated handset, the recorder of real runs and the
// replay all record through these functions, so a dry run, a trace and a
// replay speak one vocabulary.
//
// Bytes in the system's code page (settings lines, serial traffic) are
// recorded as readable text, converted with `conversions`; when that text
// does not give the very bytes back, a "hex" field holds them as well. A
// failed operation has an "error": the system's code for why.

void RecordExecutablePath(TraceRecord& record, TraceTime t, const std::wstring& path);
void RecordOpenFile(TraceRecord& record, TraceTime t, const std::wstring& path, bool ok,
                    unsigned int error);
// A line read, or with `ok` false the end of the file.
void RecordReadLine(TraceRecord& record, TraceTime t, bool ok, const std::string& line,
                    PlatformServices& conversions);
void RecordCloseFile(TraceRecord& record, TraceTime t);

void RecordOpenDevice(TraceRecord& record, TraceTime t, const std::wstring& name,
                      DeviceHandle device, unsigned int error);
// `bytes` written, of which the device reported `count`.
void RecordWrite(TraceRecord& record, TraceTime t, DeviceHandle device, const std::string& bytes,
                 int count, PlatformServices& conversions);
// `bytes` read into room for `capacity`, with the count the device reported.
void RecordRead(TraceRecord& record, TraceTime t, DeviceHandle device, int capacity,
                const std::string& bytes, int count, PlatformServices& conversions);
void RecordCloseDevice(TraceRecord& record, TraceTime t, DeviceHandle device);

void RecordSleep(TraceRecord& record, TraceTime t, unsigned int milliseconds);

void RecordFindWindow(TraceRecord& record, TraceTime t, const std::wstring& className,
                      WindowHandle window);
void RecordForeground(TraceRecord& record, TraceTime t, WindowHandle window);
void RecordPostMessage(TraceRecord& record, TraceTime t, WindowHandle window, unsigned int message,
                       size_t wParam, ptrdiff_t lParam, bool ok);
void RecordCreateProcess(TraceRecord& record, TraceTime t, const std::wstring& executable,
                         const std::wstring& commandLine, bool ok, unsigned int error);

void RecordKey(TraceRecord& record, TraceTime t, unsigned char virtualKey, bool keyUp);
void RecordPreKey(TraceRecord& record, TraceTime t);
void RecordPostKey(TraceRecord& record, TraceTime t);

void RecordRegistryOpen(TraceRecord& record, TraceTime t, const std::wstring& path, bool ok,
                        unsigned int error);
void RecordRegistrySet(TraceRecord& record, TraceTime t, const std::wstring& name,
                       unsigned int value, bool ok);
void RecordRegistryClose(TraceRecord& record, TraceTime t);

void RecordLoadLibrary(TraceRecord& record, TraceTime t, const std::wstring& name, bool ok,
                       unsigned int error);
void RecordFindFunction(TraceRecord& record, TraceTime t, const std::wstring& name, bool ok);
void RecordReleaseLibrary(TraceRecord& record, TraceTime t);
// The dial-up functions: the listing, with the record size and buffer bytes
// the launcher gave it and the connections listed (0 unless `result` is
// success), followed by one ras_connection line for each connection listed;
// a hang-up with the entry name the listing gave that handle, and its result.
void RecordRasEnumerate(TraceRecord& record, TraceTime t, unsigned int recordSize,
                        unsigned int bufferBytes, unsigned int count, unsigned int result);
void RecordRasConnection(TraceRecord& record, TraceTime t, const std::string& entryUtf8,
                         unsigned int handle);
void RecordRasHangUp(TraceRecord& record, TraceTime t, const std::string& entryUtf8,
                     unsigned int handle, unsigned int result);

void RecordInternetOpen(TraceRecord& record, TraceTime t, const std::wstring& agent,
                        unsigned int accessType, InternetHandle handle, unsigned int error);
// The option's value is recorded when it is 4 bytes long, 0 otherwise.
void RecordInternetSetOption(TraceRecord& record, TraceTime t, InternetHandle handle,
                             unsigned int option, const void* value, unsigned int size, bool ok);
void RecordOpenUrl(TraceRecord& record, TraceTime t, InternetHandle internet,
                   const std::wstring& url, InternetHandle handle, unsigned int error);
void RecordInternetRead(TraceRecord& record, TraceTime t, InternetHandle handle,
                        unsigned int toRead, unsigned int bytesRead, bool ok);
void RecordInternetClose(TraceRecord& record, TraceTime t, InternetHandle handle);

void RecordMessage(TraceRecord& record, TraceTime t, const std::wstring& title,
                   const std::wstring& text);
void RecordQuit(TraceRecord& record, TraceTime t, int exitCode);

// The run's outcome, after its last operation: the map shown or a message,
// with the module's position (decimal degrees) when one was had.
const char kTraceOutcomeShown[] = "shown";
const char kTraceOutcomeMessage[] = "message";
void RecordEnd(TraceRecord& record, TraceTime t, bool messageShown, bool positionKnown,
               double latitude, double longitude);
// Where a trace that reached its bound of `limitBytes` leaves out the
// `skipped` operations between its beginning and its last part.
void RecordCut(TraceRecord& record, TraceTime t, unsigned int limitBytes, TraceNumber skipped);

// The fields' names, as the file gives them: the table of operations
// names each operation's fields by these, and every reader of a record
// looks its fields up by them.
const char kFieldAccess[] = "access";
const char kFieldAgent[] = "agent";
const char kFieldAsked[] = "asked";
const char kFieldBuffer[] = "buffer";
const char kFieldBytes[] = "bytes";
const char kFieldCapacity[] = "capacity";
const char kFieldClass[] = "class";
const char kFieldCmdline[] = "cmdline";
const char kFieldCode[] = "code";
const char kFieldCount[] = "count";
const char kFieldDown[] = "down";
const char kFieldEntry[] = "entry";
const char kFieldError[] = "error";
const char kFieldExe[] = "exe";
const char kFieldFound[] = "found";
const char kFieldHandle[] = "handle";
const char kFieldHex[] = "hex";
const char kFieldInternet[] = "internet";
const char kFieldLatitude[] = "latitude";
const char kFieldLimit[] = "limit";
const char kFieldLongitude[] = "longitude";
const char kFieldLparam[] = "lparam";
const char kFieldMessage[] = "message";
const char kFieldMs[] = "ms";
const char kFieldName[] = "name";
const char kFieldOk[] = "ok";
const char kFieldOption[] = "option";
const char kFieldOutcome[] = "outcome";
const char kFieldPath[] = "path";
const char kFieldResult[] = "result";
const char kFieldSize[] = "size";
const char kFieldSkipped[] = "skipped";
const char kFieldText[] = "text";
const char kFieldTitle[] = "title";
const char kFieldUrl[] = "url";
const char kFieldValue[] = "value";
const char kFieldVk[] = "vk";
const char kFieldWindow[] = "window";
const char kFieldWparam[] = "wparam";

// The vocabulary as data: each operation's fields in order. Arguments are
// what the launcher passes and a replay compares; results are what the
// system answered and a replay hands back; a build setting is shown but not
// compared, since it belongs to the build that made the trace rather than
// to the launcher's behaviour. The recording functions above take the
// fields' names from here, and the reader reads lines by it.
enum TraceFieldRole { kTraceArgument, kTraceResult, kTraceBuildSetting };

struct TraceFieldShape {
  const char* name;
  TraceFieldKind kind;
  TraceFieldRole role;
  bool optional;
  int firstVersion;  // the trace version that brought the field
  int lastVersion;   // the last version that has it; 0: every later one
};

struct TraceOperationShape {
  TraceOp op;
  const char* name;  // as the file gives it
  const TraceFieldShape* fields;
  unsigned int fieldCount;
  int firstVersion;  // the trace version that brought the operation
};

const TraceOperationShape& TraceOperationOf(TraceOp op);
const char* TraceOpName(TraceOp op);
// Whether traces of `version` have the field.
bool TraceFieldInVersion(const TraceFieldShape& field, int version);

#endif
