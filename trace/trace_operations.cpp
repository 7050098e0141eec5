#include "trace/trace_operations.h"

#include <string.h>

#include "trace/hex_text.h"

namespace {

// An operation being recorded: its fields are given in the table's order,
// and take their names from it.
class NewOperation {
 public:
  NewOperation(TraceRecord& record, TraceTime t, TraceOp op)
      : record_(record), shape_(TraceOperationOf(op)), next_(0) {
    record.Begin(t, op);
  }

  void Number(TraceNumber value) { record_.AddNumber(Next(), value); }
  void Boolean(bool value) { record_.AddBoolean(Next(), value); }
  void Real(double value) { record_.AddReal(Next(), value); }
  void Text(const std::string& utf8) { record_.AddText(Next(), utf8); }
  void WideText(const std::wstring& text) { record_.AddWideText(Next(), text); }
  // Leaves an optional field out.
  void Skip() { Next(); }

 private:
  NewOperation(const NewOperation&);
  NewOperation& operator=(const NewOperation&);

  // Fields that only older traces had are passed by.
  const char* Next() {
    while (!TraceFieldInVersion(shape_.fields[next_], kTraceFormatVersion)) ++next_;
    return shape_.fields[next_++].name;
  }

  TraceRecord& record_;
  const TraceOperationShape& shape_;
  unsigned int next_;
};

// A text and its "hex".
void AddCodePageText(NewOperation& operation, const std::string& bytes,
                     PlatformServices& conversions) {
  // Every code page of the system reads plain ASCII as itself. One pass
  // over all bytes, without a branch for each, tells.
  unsigned char any = 0;
  for (std::string::const_iterator c = bytes.begin(); c != bytes.end(); ++c) {
    any |= static_cast<unsigned char>(*c);
  }
  if (any < 0x80) {
    operation.Text(bytes);
    operation.Skip();
    return;
  }
  const std::wstring text = conversions.AnsiToWide(bytes);
  operation.WideText(text);
  if (conversions.WideToAnsi(text) == bytes) {
    operation.Skip();
    return;
  }
  std::string hex;
  AppendHexText(bytes, hex);
  operation.Text(hex);
}

TraceNumber HandleNumber(size_t handle) { return static_cast<TraceNumber>(handle); }

// A failed operation's result, and the system's code for why it failed.
void AddOutcome(NewOperation& operation, bool ok, unsigned int error) {
  operation.Boolean(ok);
  if (ok) {
    operation.Skip();
  } else {
    operation.Number(error);
  }
}

}  // namespace

void RecordExecutablePath(TraceRecord& record, TraceTime t, const std::wstring& path) {
  NewOperation(record, t, kOpExecutablePath).WideText(path);
}

void RecordOpenFile(TraceRecord& record, TraceTime t, const std::wstring& path, bool ok,
                    unsigned int error) {
  NewOperation operation(record, t, kOpOpenFile);
  operation.WideText(path);
  AddOutcome(operation, ok, error);
}

void RecordReadLine(TraceRecord& record, TraceTime t, bool ok, const std::string& line,
                    PlatformServices& conversions) {
  NewOperation operation(record, t, kOpReadLine);
  if (ok) {
    AddCodePageText(operation, line, conversions);
  } else {
    operation.Skip();
    operation.Skip();
  }
  operation.Boolean(ok);
}

void RecordCloseFile(TraceRecord& record, TraceTime t) { record.Begin(t, kOpCloseFile); }

void RecordOpenDevice(TraceRecord& record, TraceTime t, const std::wstring& name,
                      DeviceHandle device, unsigned int error) {
  NewOperation operation(record, t, kOpOpenDevice);
  operation.WideText(name);
  AddOutcome(operation, device != 0, error);
  operation.Number(HandleNumber(device));
}

void RecordWrite(TraceRecord& record, TraceTime t, DeviceHandle device, const std::string& bytes,
                 int count, PlatformServices& conversions) {
  NewOperation operation(record, t, kOpWrite);
  operation.Number(HandleNumber(device));
  AddCodePageText(operation, bytes, conversions);
  operation.Number(count);
}

void RecordRead(TraceRecord& record, TraceTime t, DeviceHandle device, int capacity,
                const std::string& bytes, int count, PlatformServices& conversions) {
  NewOperation operation(record, t, kOpRead);
  operation.Number(HandleNumber(device));
  operation.Number(capacity);
  AddCodePageText(operation, bytes, conversions);
  operation.Number(count);
}

void RecordCloseDevice(TraceRecord& record, TraceTime t, DeviceHandle device) {
  NewOperation(record, t, kOpCloseDevice).Number(HandleNumber(device));
}

void RecordSleep(TraceRecord& record, TraceTime t, unsigned int milliseconds) {
  NewOperation(record, t, kOpSleep).Number(milliseconds);
}

void RecordFindWindow(TraceRecord& record, TraceTime t, const std::wstring& className,
                      WindowHandle window) {
  NewOperation operation(record, t, kOpFindWindow);
  operation.WideText(className);
  operation.Boolean(window != 0);
  operation.Number(HandleNumber(window));
}

void RecordForeground(TraceRecord& record, TraceTime t, WindowHandle window) {
  NewOperation(record, t, kOpForeground).Number(HandleNumber(window));
}

void RecordPostMessage(TraceRecord& record, TraceTime t, WindowHandle window, unsigned int message,
                       size_t wParam, ptrdiff_t lParam, bool ok) {
  NewOperation operation(record, t, kOpPostMessage);
  operation.Number(HandleNumber(window));
  operation.Number(message);
  operation.Number(HandleNumber(wParam));
  operation.Number(lParam);
  operation.Boolean(ok);
}

void RecordCreateProcess(TraceRecord& record, TraceTime t, const std::wstring& executable,
                         const std::wstring& commandLine, bool ok, unsigned int error) {
  NewOperation operation(record, t, kOpCreateProcess);
  operation.WideText(executable);
  operation.WideText(commandLine);
  AddOutcome(operation, ok, error);
}

void RecordKey(TraceRecord& record, TraceTime t, unsigned char virtualKey, bool keyUp) {
  NewOperation operation(record, t, kOpKey);
  operation.Number(virtualKey);
  operation.Boolean(!keyUp);
}

void RecordPreKey(TraceRecord& record, TraceTime t) { record.Begin(t, kOpPreKey); }

void RecordPostKey(TraceRecord& record, TraceTime t) { record.Begin(t, kOpPostKey); }

void RecordRegistryOpen(TraceRecord& record, TraceTime t, const std::wstring& path, bool ok,
                        unsigned int error) {
  NewOperation operation(record, t, kOpRegistryOpen);
  operation.WideText(path);
  AddOutcome(operation, ok, error);
}

void RecordRegistrySet(TraceRecord& record, TraceTime t, const std::wstring& name,
                       unsigned int value, bool ok) {
  NewOperation operation(record, t, kOpRegistrySet);
  operation.WideText(name);
  operation.Number(value);
  operation.Boolean(ok);
}

void RecordRegistryClose(TraceRecord& record, TraceTime t) { record.Begin(t, kOpRegistryClose); }

void RecordLoadLibrary(TraceRecord& record, TraceTime t, const std::wstring& name, bool ok,
                       unsigned int error) {
  NewOperation operation(record, t, kOpLoadLibrary);
  operation.WideText(name);
  AddOutcome(operation, ok, error);
}

void RecordFindFunction(TraceRecord& record, TraceTime t, const std::wstring& name, bool ok) {
  NewOperation operation(record, t, kOpFindFunction);
  operation.WideText(name);
  operation.Boolean(ok);
}

void RecordReleaseLibrary(TraceRecord& record, TraceTime t) { record.Begin(t, kOpReleaseLibrary); }

void RecordRasEnumerate(TraceRecord& record, TraceTime t, unsigned int recordSize,
                        unsigned int bufferBytes, unsigned int count, unsigned int result) {
  NewOperation operation(record, t, kOpRasEnumerate);
  operation.Number(recordSize);
  operation.Number(bufferBytes);
  operation.Number(count);
  operation.Number(result);
}

void RecordRasConnection(TraceRecord& record, TraceTime t, const std::string& entryUtf8,
                         unsigned int handle) {
  NewOperation operation(record, t, kOpRasConnection);
  operation.Text(entryUtf8);
  operation.Number(handle);
}

void RecordRasHangUp(TraceRecord& record, TraceTime t, const std::string& entryUtf8,
                     unsigned int handle, unsigned int result) {
  NewOperation operation(record, t, kOpRasHangUp);
  operation.Text(entryUtf8);
  operation.Number(handle);
  AddOutcome(operation, result == 0, result);
}

void RecordInternetOpen(TraceRecord& record, TraceTime t, const std::wstring& agent,
                        unsigned int accessType, InternetHandle handle, unsigned int error) {
  NewOperation operation(record, t, kOpInternetOpen);
  operation.WideText(agent);
  operation.Number(accessType);
  AddOutcome(operation, handle != 0, error);
  operation.Number(HandleNumber(handle));
}

void RecordInternetSetOption(TraceRecord& record, TraceTime t, InternetHandle handle,
                             unsigned int option, const void* value, unsigned int size, bool ok) {
  unsigned int four = 0;
  if (value && size == sizeof four) memcpy(&four, value, sizeof four);
  NewOperation operation(record, t, kOpInternetSetOption);
  operation.Number(HandleNumber(handle));
  operation.Number(option);
  operation.Number(four);
  operation.Number(size);
  operation.Boolean(ok);
}

void RecordOpenUrl(TraceRecord& record, TraceTime t, InternetHandle internet,
                   const std::wstring& url, InternetHandle handle, unsigned int error) {
  NewOperation operation(record, t, kOpOpenUrl);
  operation.Number(HandleNumber(internet));
  operation.WideText(url);
  AddOutcome(operation, handle != 0, error);
  operation.Number(HandleNumber(handle));
}

void RecordInternetRead(TraceRecord& record, TraceTime t, InternetHandle handle,
                        unsigned int toRead, unsigned int bytesRead, bool ok) {
  NewOperation operation(record, t, kOpInternetRead);
  operation.Number(HandleNumber(handle));
  operation.Number(toRead);
  operation.Number(bytesRead);
  operation.Boolean(ok);
}

void RecordInternetClose(TraceRecord& record, TraceTime t, InternetHandle handle) {
  NewOperation(record, t, kOpInternetClose).Number(HandleNumber(handle));
}

void RecordMessage(TraceRecord& record, TraceTime t, const std::wstring& title,
                   const std::wstring& text) {
  NewOperation operation(record, t, kOpMessage);
  operation.WideText(title);
  operation.WideText(text);
}

void RecordQuit(TraceRecord& record, TraceTime t, int exitCode) {
  NewOperation(record, t, kOpQuit).Number(exitCode);
}

void RecordEnd(TraceRecord& record, TraceTime t, bool messageShown, bool positionKnown,
               double latitude, double longitude) {
  NewOperation operation(record, t, kOpEnd);
  operation.Text(messageShown ? kTraceOutcomeMessage : kTraceOutcomeShown);
  if (!positionKnown) return;
  operation.Real(latitude);
  operation.Real(longitude);
}

void RecordCut(TraceRecord& record, TraceTime t, unsigned int limitBytes, TraceNumber skipped) {
  NewOperation operation(record, t, kOpCut);
  operation.Number(limitBytes);
  operation.Number(skipped);
}

namespace {

// clang-format off
// Fields that version 2 of the trace added: handles, the sizes asked, the
// dial-up connection list and the system's error codes.
#define V1 1, 0
#define V2 2, 0
const TraceFieldShape kExecutablePathFields[] = {{kFieldPath, kTraceText, kTraceResult, false, V1}};
const TraceFieldShape kOpenFileFields[] = {{kFieldPath, kTraceText, kTraceArgument, false, V1},
                                          {kFieldOk, kTraceBoolean, kTraceResult, false, V1},
                                          {kFieldError, kTraceNumber, kTraceResult, true, V2}};
const TraceFieldShape kReadLineFields[] = {{kFieldText, kTraceText, kTraceResult, true, V1},
                                          {kFieldHex, kTraceText, kTraceResult, true, V1},
                                          {kFieldOk, kTraceBoolean, kTraceResult, false, V1}};
const TraceFieldShape kOpenDeviceFields[] = {{kFieldName, kTraceText, kTraceArgument, false, V1},
                                            {kFieldOk, kTraceBoolean, kTraceResult, false, V1},
                                            {kFieldError, kTraceNumber, kTraceResult, true, V2},
                                            {kFieldHandle, kTraceNumber, kTraceResult, false, V2}};
const TraceFieldShape kWriteFields[] = {{kFieldHandle, kTraceNumber, kTraceArgument, false, V2},
                                       {kFieldText, kTraceText, kTraceArgument, false, V1},
                                       {kFieldHex, kTraceText, kTraceArgument, true, V1},
                                       {kFieldCount, kTraceNumber, kTraceResult, false, V1}};
const TraceFieldShape kReadFields[] = {{kFieldHandle, kTraceNumber, kTraceArgument, false, V2},
                                      {kFieldCapacity, kTraceNumber, kTraceArgument, false, V2},
                                      {kFieldText, kTraceText, kTraceResult, false, V1},
                                      {kFieldHex, kTraceText, kTraceResult, true, V1},
                                      {kFieldCount, kTraceNumber, kTraceResult, false, V1}};
const TraceFieldShape kCloseDeviceFields[] = {{kFieldHandle, kTraceNumber, kTraceArgument, false, V2}};
const TraceFieldShape kSleepFields[] = {{kFieldMs, kTraceNumber, kTraceArgument, false, V1}};
const TraceFieldShape kFindWindowFields[] = {{kFieldClass, kTraceText, kTraceArgument, false, V1},
                                            {kFieldFound, kTraceBoolean, kTraceResult, false, V1},
                                            {kFieldWindow, kTraceNumber, kTraceResult, false, V1}};
const TraceFieldShape kForegroundFields[] = {{kFieldWindow, kTraceNumber, kTraceArgument, false, V1}};
const TraceFieldShape kPostMessageFields[] = {{kFieldWindow, kTraceNumber, kTraceArgument, false, V1},
                                             {kFieldMessage, kTraceNumber, kTraceArgument, false, V1},
                                             {kFieldWparam, kTraceNumber, kTraceArgument, false, V1},
                                             {kFieldLparam, kTraceNumber, kTraceArgument, false, V1},
                                             {kFieldOk, kTraceBoolean, kTraceResult, false, V1}};
const TraceFieldShape kCreateProcessFields[] = {{kFieldExe, kTraceText, kTraceArgument, false, V1},
                                               {kFieldCmdline, kTraceText, kTraceArgument, false, V1},
                                               {kFieldOk, kTraceBoolean, kTraceResult, false, V1},
                                               {kFieldError, kTraceNumber, kTraceResult, true, V2}};
const TraceFieldShape kKeyFields[] = {{kFieldVk, kTraceNumber, kTraceArgument, false, V1},
                                     {kFieldDown, kTraceBoolean, kTraceArgument, false, V1}};
const TraceFieldShape kRegistryOpenFields[] = {{kFieldPath, kTraceText, kTraceArgument, false, V1},
                                              {kFieldOk, kTraceBoolean, kTraceResult, false, V1},
                                              {kFieldError, kTraceNumber, kTraceResult, true, V2}};
const TraceFieldShape kRegistrySetFields[] = {{kFieldName, kTraceText, kTraceArgument, false, V1},
                                             {kFieldValue, kTraceNumber, kTraceArgument, false, V1},
                                             {kFieldOk, kTraceBoolean, kTraceResult, false, V1}};
const TraceFieldShape kLoadLibraryFields[] = {{kFieldName, kTraceText, kTraceArgument, false, V1},
                                             {kFieldOk, kTraceBoolean, kTraceResult, false, V1},
                                             {kFieldError, kTraceNumber, kTraceResult, true, V2}};
const TraceFieldShape kFindFunctionFields[] = {{kFieldName, kTraceText, kTraceArgument, false, V1},
                                              {kFieldOk, kTraceBoolean, kTraceResult, false, V1}};
const TraceFieldShape kRasEnumerateFields[] = {{kFieldSize, kTraceNumber, kTraceArgument, false, V2},
                                              {kFieldBuffer, kTraceNumber, kTraceArgument, false, V2},
                                              {kFieldCount, kTraceNumber, kTraceResult, false, V1},
                                              {kFieldResult, kTraceNumber, kTraceResult, false, V1}};
const TraceFieldShape kRasConnectionFields[] = {{kFieldEntry, kTraceText, kTraceResult, false, V2},
                                               {kFieldHandle, kTraceNumber, kTraceResult, false, V2}};
const TraceFieldShape kRasHangUpFields[] = {{kFieldEntry, kTraceText, kTraceResult, false, V1},
                                           {kFieldHandle, kTraceNumber, kTraceArgument, false, V1},
                                           {kFieldOk, kTraceBoolean, kTraceResult, false, V1},
                                           {kFieldError, kTraceNumber, kTraceResult, true, V2}};
const TraceFieldShape kInternetOpenFields[] = {{kFieldAgent, kTraceText, kTraceArgument, false, V1},
                                              {kFieldAccess, kTraceNumber, kTraceArgument, false, V1},
                                              {kFieldOk, kTraceBoolean, kTraceResult, false, V1},
                                              {kFieldError, kTraceNumber, kTraceResult, true, V2},
                                              {kFieldHandle, kTraceNumber, kTraceResult, false, V2}};
const TraceFieldShape kInternetSetOptionFields[] = {
    {kFieldHandle, kTraceNumber, kTraceArgument, false, V2},
    {kFieldOption, kTraceNumber, kTraceArgument, false, V1},
    {kFieldValue, kTraceNumber, kTraceArgument, false, V1},
    {kFieldSize, kTraceNumber, kTraceArgument, false, V1},
    {kFieldOk, kTraceBoolean, kTraceResult, false, V1}};
// The probe's page is chosen when the launcher is built.
const TraceFieldShape kOpenUrlFields[] = {{kFieldInternet, kTraceNumber, kTraceArgument, false, V2},
                                         {kFieldUrl, kTraceText, kTraceBuildSetting, false, V1},
                                         {kFieldOk, kTraceBoolean, kTraceResult, false, V1},
                                         {kFieldError, kTraceNumber, kTraceResult, true, V2},
                                         {kFieldHandle, kTraceNumber, kTraceResult, false, V2}};
const TraceFieldShape kInternetReadFields[] = {{kFieldHandle, kTraceNumber, kTraceArgument, false, V2},
                                              {kFieldAsked, kTraceNumber, kTraceArgument, false, V2},
                                              {kFieldBytes, kTraceNumber, kTraceResult, false, V1},
                                              {kFieldOk, kTraceBoolean, kTraceResult, false, V1}};
// Version 1 named the handle closed, "url" or "internet"; version 2 gives it.
const TraceFieldShape kInternetCloseFields[] = {{kFieldHandle, kTraceText, kTraceArgument, false, 1, 1},
                                               {kFieldHandle, kTraceNumber, kTraceArgument, false, V2}};
const TraceFieldShape kMessageFields[] = {{kFieldTitle, kTraceText, kTraceArgument, false, V1},
                                         {kFieldText, kTraceText, kTraceArgument, false, V1}};
const TraceFieldShape kQuitFields[] = {{kFieldCode, kTraceNumber, kTraceArgument, false, V1}};
const TraceFieldShape kEndFields[] = {{kFieldOutcome, kTraceText, kTraceResult, false, V1},
                                     {kFieldLatitude, kTraceReal, kTraceResult, true, V1},
                                     {kFieldLongitude, kTraceReal, kTraceResult, true, V1}};
const TraceFieldShape kCutFields[] = {{kFieldLimit, kTraceNumber, kTraceResult, false, V1},
                                     {kFieldSkipped, kTraceNumber, kTraceResult, false, V2}};
#undef V1
#undef V2
// clang-format on

#define POSRELAY_TRACE_FIELDS(fields) (fields), sizeof(fields) / sizeof((fields)[0])
#define POSRELAY_NO_FIELDS 0, 0

// Each operation in TraceOp's order: its name in the file, its fields and
// the version that brought it.
const TraceOperationShape kOperations[] = {
    {kOpExecutablePath, "executable_path", POSRELAY_TRACE_FIELDS(kExecutablePathFields), 1},
    {kOpOpenFile, "open_file", POSRELAY_TRACE_FIELDS(kOpenFileFields), 1},
    {kOpReadLine, "read_line", POSRELAY_TRACE_FIELDS(kReadLineFields), 1},
    {kOpCloseFile, "close_file", POSRELAY_NO_FIELDS, 1},
    {kOpOpenDevice, "open_device", POSRELAY_TRACE_FIELDS(kOpenDeviceFields), 1},
    {kOpWrite, "write", POSRELAY_TRACE_FIELDS(kWriteFields), 1},
    {kOpRead, "read", POSRELAY_TRACE_FIELDS(kReadFields), 1},
    {kOpCloseDevice, "close_device", POSRELAY_TRACE_FIELDS(kCloseDeviceFields), 1},
    {kOpSleep, "sleep", POSRELAY_TRACE_FIELDS(kSleepFields), 1},
    {kOpFindWindow, "find_window", POSRELAY_TRACE_FIELDS(kFindWindowFields), 1},
    {kOpForeground, "foreground", POSRELAY_TRACE_FIELDS(kForegroundFields), 1},
    {kOpPostMessage, "post_message", POSRELAY_TRACE_FIELDS(kPostMessageFields), 1},
    {kOpCreateProcess, "create_process", POSRELAY_TRACE_FIELDS(kCreateProcessFields), 1},
    {kOpKey, "key", POSRELAY_TRACE_FIELDS(kKeyFields), 1},
    {kOpPreKey, "pre_key", POSRELAY_NO_FIELDS, 1},
    {kOpPostKey, "post_key", POSRELAY_NO_FIELDS, 1},
    {kOpRegistryOpen, "registry_open", POSRELAY_TRACE_FIELDS(kRegistryOpenFields), 1},
    {kOpRegistrySet, "registry_set", POSRELAY_TRACE_FIELDS(kRegistrySetFields), 1},
    {kOpRegistryClose, "registry_close", POSRELAY_NO_FIELDS, 1},
    {kOpLoadLibrary, "load_library", POSRELAY_TRACE_FIELDS(kLoadLibraryFields), 1},
    {kOpFindFunction, "find_function", POSRELAY_TRACE_FIELDS(kFindFunctionFields), 1},
    {kOpReleaseLibrary, "release_library", POSRELAY_NO_FIELDS, 1},
    {kOpRasEnumerate, "ras_enumerate", POSRELAY_TRACE_FIELDS(kRasEnumerateFields), 1},
    {kOpRasConnection, "ras_connection", POSRELAY_TRACE_FIELDS(kRasConnectionFields), 2},
    {kOpRasHangUp, "ras_hang_up", POSRELAY_TRACE_FIELDS(kRasHangUpFields), 1},
    {kOpInternetOpen, "internet_open", POSRELAY_TRACE_FIELDS(kInternetOpenFields), 1},
    {kOpInternetSetOption, "internet_set_option", POSRELAY_TRACE_FIELDS(kInternetSetOptionFields),
     1},
    {kOpOpenUrl, "open_url", POSRELAY_TRACE_FIELDS(kOpenUrlFields), 1},
    {kOpInternetRead, "internet_read", POSRELAY_TRACE_FIELDS(kInternetReadFields), 1},
    {kOpInternetClose, "internet_close", POSRELAY_TRACE_FIELDS(kInternetCloseFields), 1},
    {kOpMessage, "message", POSRELAY_TRACE_FIELDS(kMessageFields), 1},
    {kOpQuit, "quit", POSRELAY_TRACE_FIELDS(kQuitFields), 1},
    {kOpEnd, "end", POSRELAY_TRACE_FIELDS(kEndFields), 1},
    {kOpCut, "cut", POSRELAY_TRACE_FIELDS(kCutFields), 1},
};

#undef POSRELAY_NO_FIELDS
#undef POSRELAY_TRACE_FIELDS

}  // namespace

const TraceOperationShape& TraceOperationOf(TraceOp op) { return kOperations[op]; }

const char* TraceOpName(TraceOp op) { return kOperations[op].name; }

bool TraceFieldInVersion(const TraceFieldShape& field, int version) {
  return version >= field.firstVersion && (field.lastVersion == 0 || version <= field.lastVersion);
}
