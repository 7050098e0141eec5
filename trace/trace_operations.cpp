#include "trace/trace_operations.h"

#include <string.h>

#include "trace/hex_text.h"

namespace {

void AddCodePageText(TraceRecord& record, const char* name, const std::string& bytes,
                     PlatformServices& conversions) {
  // Every code page of the system reads plain ASCII as itself. One pass
  // over all bytes, without a branch for each, tells.
  unsigned char any = 0;
  for (std::string::const_iterator c = bytes.begin(); c != bytes.end(); ++c) {
    any |= static_cast<unsigned char>(*c);
  }
  if (any < 0x80) {
    record.AddText(name, bytes);
    return;
  }
  const std::wstring text = conversions.AnsiToWide(bytes);
  record.AddWideText(name, text);
  if (conversions.WideToAnsi(text) == bytes) return;
  std::string hex;
  AppendHexText(bytes, hex);
  record.AddText("hex", hex);
}

TraceNumber HandleNumber(size_t handle) { return static_cast<TraceNumber>(handle); }

// A failed operation's result, and the system's code for why it failed.
void AddOutcome(TraceRecord& record, bool ok, unsigned int error) {
  record.AddBoolean("ok", ok);
  if (!ok) record.AddNumber("error", error);
}

}  // namespace

void RecordExecutablePath(TraceRecord& record, TraceTime t, const std::wstring& path) {
  record.Begin(t, "executable_path");
  record.AddWideText("path", path);
}

void RecordOpenFile(TraceRecord& record, TraceTime t, const std::wstring& path, bool ok,
                    unsigned int error) {
  record.Begin(t, "open_file");
  record.AddWideText("path", path);
  AddOutcome(record, ok, error);
}

void RecordReadLine(TraceRecord& record, TraceTime t, bool ok, const std::string& line,
                    PlatformServices& conversions) {
  record.Begin(t, "read_line");
  if (ok) AddCodePageText(record, "text", line, conversions);
  record.AddBoolean("ok", ok);
}

void RecordCloseFile(TraceRecord& record, TraceTime t) { record.Begin(t, "close_file"); }

void RecordOpenDevice(TraceRecord& record, TraceTime t, const std::wstring& name,
                      DeviceHandle device, unsigned int error) {
  record.Begin(t, "open_device");
  record.AddWideText("name", name);
  AddOutcome(record, device != 0, error);
  record.AddNumber("handle", HandleNumber(device));
}

void RecordWrite(TraceRecord& record, TraceTime t, DeviceHandle device, const std::string& bytes,
                 int count, PlatformServices& conversions) {
  record.Begin(t, "write");
  record.AddNumber("handle", HandleNumber(device));
  AddCodePageText(record, "text", bytes, conversions);
  record.AddNumber("count", count);
}

void RecordRead(TraceRecord& record, TraceTime t, DeviceHandle device, int capacity,
                const std::string& bytes, int count, PlatformServices& conversions) {
  record.Begin(t, "read");
  record.AddNumber("handle", HandleNumber(device));
  record.AddNumber("capacity", capacity);
  AddCodePageText(record, "text", bytes, conversions);
  record.AddNumber("count", count);
}

void RecordCloseDevice(TraceRecord& record, TraceTime t, DeviceHandle device) {
  record.Begin(t, "close_device");
  record.AddNumber("handle", HandleNumber(device));
}

void RecordSleep(TraceRecord& record, TraceTime t, unsigned int milliseconds) {
  record.Begin(t, "sleep");
  record.AddNumber("ms", milliseconds);
}

void RecordFindWindow(TraceRecord& record, TraceTime t, const std::wstring& className,
                      WindowHandle window) {
  record.Begin(t, "find_window");
  record.AddWideText("class", className);
  record.AddBoolean("found", window != 0);
  record.AddNumber("window", HandleNumber(window));
}

void RecordForeground(TraceRecord& record, TraceTime t, WindowHandle window) {
  record.Begin(t, "foreground");
  record.AddNumber("window", HandleNumber(window));
}

void RecordPostMessage(TraceRecord& record, TraceTime t, WindowHandle window, unsigned int message,
                       size_t wParam, ptrdiff_t lParam, bool ok) {
  record.Begin(t, "post_message");
  record.AddNumber("window", HandleNumber(window));
  record.AddNumber("message", message);
  record.AddNumber("wparam", HandleNumber(wParam));
  record.AddNumber("lparam", lParam);
  record.AddBoolean("ok", ok);
}

void RecordCreateProcess(TraceRecord& record, TraceTime t, const std::wstring& executable,
                         const std::wstring& commandLine, bool ok, unsigned int error) {
  record.Begin(t, "create_process");
  record.AddWideText("exe", executable);
  record.AddWideText("cmdline", commandLine);
  AddOutcome(record, ok, error);
}

void RecordKey(TraceRecord& record, TraceTime t, unsigned char virtualKey, bool keyUp) {
  record.Begin(t, "key");
  record.AddNumber("vk", virtualKey);
  record.AddBoolean("down", !keyUp);
}

void RecordPreKey(TraceRecord& record, TraceTime t) { record.Begin(t, "pre_key"); }

void RecordPostKey(TraceRecord& record, TraceTime t) { record.Begin(t, "post_key"); }

void RecordRegistryOpen(TraceRecord& record, TraceTime t, const std::wstring& path, bool ok,
                        unsigned int error) {
  record.Begin(t, "registry_open");
  record.AddWideText("path", path);
  AddOutcome(record, ok, error);
}

void RecordRegistrySet(TraceRecord& record, TraceTime t, const std::wstring& name,
                       unsigned int value, bool ok) {
  record.Begin(t, "registry_set");
  record.AddWideText("name", name);
  record.AddNumber("value", value);
  record.AddBoolean("ok", ok);
}

void RecordRegistryClose(TraceRecord& record, TraceTime t) { record.Begin(t, "registry_close"); }

void RecordLoadLibrary(TraceRecord& record, TraceTime t, const std::wstring& name, bool ok,
                       unsigned int error) {
  record.Begin(t, "load_library");
  record.AddWideText("name", name);
  AddOutcome(record, ok, error);
}

void RecordFindFunction(TraceRecord& record, TraceTime t, const std::wstring& name, bool ok) {
  record.Begin(t, "find_function");
  record.AddWideText("name", name);
  record.AddBoolean("ok", ok);
}

void RecordReleaseLibrary(TraceRecord& record, TraceTime t) { record.Begin(t, "release_library"); }

void RecordRasEnumerate(TraceRecord& record, TraceTime t, unsigned int recordSize,
                        unsigned int bufferBytes, unsigned int count, unsigned int result) {
  record.Begin(t, "ras_enumerate");
  record.AddNumber("size", recordSize);
  record.AddNumber("buffer", bufferBytes);
  record.AddNumber("count", count);
  record.AddNumber("result", result);
}

void RecordRasConnection(TraceRecord& record, TraceTime t, const std::string& entryUtf8,
                         unsigned int handle) {
  record.Begin(t, "ras_connection");
  record.AddText("entry", entryUtf8);
  record.AddNumber("handle", handle);
}

void RecordRasHangUp(TraceRecord& record, TraceTime t, const std::string& entryUtf8,
                     unsigned int handle, unsigned int result) {
  record.Begin(t, "ras_hang_up");
  record.AddText("entry", entryUtf8);
  record.AddNumber("handle", handle);
  AddOutcome(record, result == 0, result);
}

void RecordInternetOpen(TraceRecord& record, TraceTime t, const std::wstring& agent,
                        unsigned int accessType, InternetHandle handle, unsigned int error) {
  record.Begin(t, "internet_open");
  record.AddWideText("agent", agent);
  record.AddNumber("access", accessType);
  AddOutcome(record, handle != 0, error);
  record.AddNumber("handle", HandleNumber(handle));
}

void RecordInternetSetOption(TraceRecord& record, TraceTime t, InternetHandle handle,
                             unsigned int option, const void* value, unsigned int size, bool ok) {
  unsigned int four = 0;
  if (value && size == sizeof four) memcpy(&four, value, sizeof four);
  record.Begin(t, "internet_set_option");
  record.AddNumber("handle", HandleNumber(handle));
  record.AddNumber("option", option);
  record.AddNumber("value", four);
  record.AddNumber("size", size);
  record.AddBoolean("ok", ok);
}

void RecordOpenUrl(TraceRecord& record, TraceTime t, InternetHandle internet,
                   const std::wstring& url, InternetHandle handle, unsigned int error) {
  record.Begin(t, "open_url");
  record.AddNumber("internet", HandleNumber(internet));
  record.AddWideText("url", url);
  AddOutcome(record, handle != 0, error);
  record.AddNumber("handle", HandleNumber(handle));
}

void RecordInternetRead(TraceRecord& record, TraceTime t, InternetHandle handle,
                        unsigned int toRead, unsigned int bytesRead, bool ok) {
  record.Begin(t, "internet_read");
  record.AddNumber("handle", HandleNumber(handle));
  record.AddNumber("asked", toRead);
  record.AddNumber("bytes", bytesRead);
  record.AddBoolean("ok", ok);
}

void RecordInternetClose(TraceRecord& record, TraceTime t, InternetHandle handle) {
  record.Begin(t, "internet_close");
  record.AddNumber("handle", HandleNumber(handle));
}

void RecordMessage(TraceRecord& record, TraceTime t, const std::wstring& title,
                   const std::wstring& text) {
  record.Begin(t, "message");
  record.AddWideText("title", title);
  record.AddWideText("text", text);
}

void RecordQuit(TraceRecord& record, TraceTime t, int exitCode) {
  record.Begin(t, "quit");
  record.AddNumber("code", exitCode);
}

void RecordEnd(TraceRecord& record, TraceTime t, bool messageShown, bool positionKnown,
               double latitude, double longitude) {
  record.Begin(t, "end");
  record.AddText("outcome", messageShown ? "message" : "shown");
  if (!positionKnown) return;
  record.AddReal("latitude", latitude);
  record.AddReal("longitude", longitude);
}

void RecordCut(TraceRecord& record, TraceTime t, unsigned int limitBytes, TraceNumber skipped) {
  record.Begin(t, "cut");
  record.AddNumber("limit", limitBytes);
  record.AddNumber("skipped", skipped);
}

namespace {

// clang-format off
// Fields that version 2 of the trace added: handles, the sizes asked, the
// dial-up connection list and the system's error codes.
#define V1 1, 0
#define V2 2, 0
const TraceFieldShape kExecutablePathFields[] = {{"path", kTraceText, kTraceResult, false, V1}};
const TraceFieldShape kOpenFileFields[] = {{"path", kTraceText, kTraceArgument, false, V1},
                                          {"ok", kTraceBoolean, kTraceResult, false, V1},
                                          {"error", kTraceNumber, kTraceResult, true, V2}};
const TraceFieldShape kReadLineFields[] = {{"text", kTraceText, kTraceResult, true, V1},
                                          {"hex", kTraceText, kTraceResult, true, V1},
                                          {"ok", kTraceBoolean, kTraceResult, false, V1}};
const TraceFieldShape kOpenDeviceFields[] = {{"name", kTraceText, kTraceArgument, false, V1},
                                            {"ok", kTraceBoolean, kTraceResult, false, V1},
                                            {"error", kTraceNumber, kTraceResult, true, V2},
                                            {"handle", kTraceNumber, kTraceResult, false, V2}};
const TraceFieldShape kWriteFields[] = {{"handle", kTraceNumber, kTraceArgument, false, V2},
                                       {"text", kTraceText, kTraceArgument, false, V1},
                                       {"hex", kTraceText, kTraceArgument, true, V1},
                                       {"count", kTraceNumber, kTraceResult, false, V1}};
const TraceFieldShape kReadFields[] = {{"handle", kTraceNumber, kTraceArgument, false, V2},
                                      {"capacity", kTraceNumber, kTraceArgument, false, V2},
                                      {"text", kTraceText, kTraceResult, false, V1},
                                      {"hex", kTraceText, kTraceResult, true, V1},
                                      {"count", kTraceNumber, kTraceResult, false, V1}};
const TraceFieldShape kCloseDeviceFields[] = {{"handle", kTraceNumber, kTraceArgument, false, V2}};
const TraceFieldShape kSleepFields[] = {{"ms", kTraceNumber, kTraceArgument, false, V1}};
const TraceFieldShape kFindWindowFields[] = {{"class", kTraceText, kTraceArgument, false, V1},
                                            {"found", kTraceBoolean, kTraceResult, false, V1},
                                            {"window", kTraceNumber, kTraceResult, false, V1}};
const TraceFieldShape kForegroundFields[] = {{"window", kTraceNumber, kTraceArgument, false, V1}};
const TraceFieldShape kPostMessageFields[] = {{"window", kTraceNumber, kTraceArgument, false, V1},
                                             {"message", kTraceNumber, kTraceArgument, false, V1},
                                             {"wparam", kTraceNumber, kTraceArgument, false, V1},
                                             {"lparam", kTraceNumber, kTraceArgument, false, V1},
                                             {"ok", kTraceBoolean, kTraceResult, false, V1}};
const TraceFieldShape kCreateProcessFields[] = {{"exe", kTraceText, kTraceArgument, false, V1},
                                               {"cmdline", kTraceText, kTraceArgument, false, V1},
                                               {"ok", kTraceBoolean, kTraceResult, false, V1},
                                               {"error", kTraceNumber, kTraceResult, true, V2}};
const TraceFieldShape kKeyFields[] = {{"vk", kTraceNumber, kTraceArgument, false, V1},
                                     {"down", kTraceBoolean, kTraceArgument, false, V1}};
const TraceFieldShape kRegistryOpenFields[] = {{"path", kTraceText, kTraceArgument, false, V1},
                                              {"ok", kTraceBoolean, kTraceResult, false, V1},
                                              {"error", kTraceNumber, kTraceResult, true, V2}};
const TraceFieldShape kRegistrySetFields[] = {{"name", kTraceText, kTraceArgument, false, V1},
                                             {"value", kTraceNumber, kTraceArgument, false, V1},
                                             {"ok", kTraceBoolean, kTraceResult, false, V1}};
const TraceFieldShape kLoadLibraryFields[] = {{"name", kTraceText, kTraceArgument, false, V1},
                                             {"ok", kTraceBoolean, kTraceResult, false, V1},
                                             {"error", kTraceNumber, kTraceResult, true, V2}};
const TraceFieldShape kFindFunctionFields[] = {{"name", kTraceText, kTraceArgument, false, V1},
                                              {"ok", kTraceBoolean, kTraceResult, false, V1}};
const TraceFieldShape kRasEnumerateFields[] = {{"size", kTraceNumber, kTraceArgument, false, V2},
                                              {"buffer", kTraceNumber, kTraceArgument, false, V2},
                                              {"count", kTraceNumber, kTraceResult, false, V1},
                                              {"result", kTraceNumber, kTraceResult, false, V1}};
const TraceFieldShape kRasConnectionFields[] = {{"entry", kTraceText, kTraceResult, false, V2},
                                               {"handle", kTraceNumber, kTraceResult, false, V2}};
const TraceFieldShape kRasHangUpFields[] = {{"entry", kTraceText, kTraceResult, false, V1},
                                           {"handle", kTraceNumber, kTraceArgument, false, V1},
                                           {"ok", kTraceBoolean, kTraceResult, false, V1},
                                           {"error", kTraceNumber, kTraceResult, true, V2}};
const TraceFieldShape kInternetOpenFields[] = {{"agent", kTraceText, kTraceArgument, false, V1},
                                              {"access", kTraceNumber, kTraceArgument, false, V1},
                                              {"ok", kTraceBoolean, kTraceResult, false, V1},
                                              {"error", kTraceNumber, kTraceResult, true, V2},
                                              {"handle", kTraceNumber, kTraceResult, false, V2}};
const TraceFieldShape kInternetSetOptionFields[] = {
    {"handle", kTraceNumber, kTraceArgument, false, V2},
    {"option", kTraceNumber, kTraceArgument, false, V1},
    {"value", kTraceNumber, kTraceArgument, false, V1},
    {"size", kTraceNumber, kTraceArgument, false, V1},
    {"ok", kTraceBoolean, kTraceResult, false, V1}};
// The probe's page is chosen when the launcher is built.
const TraceFieldShape kOpenUrlFields[] = {{"internet", kTraceNumber, kTraceArgument, false, V2},
                                         {"url", kTraceText, kTraceBuildSetting, false, V1},
                                         {"ok", kTraceBoolean, kTraceResult, false, V1},
                                         {"error", kTraceNumber, kTraceResult, true, V2},
                                         {"handle", kTraceNumber, kTraceResult, false, V2}};
const TraceFieldShape kInternetReadFields[] = {{"handle", kTraceNumber, kTraceArgument, false, V2},
                                              {"asked", kTraceNumber, kTraceArgument, false, V2},
                                              {"bytes", kTraceNumber, kTraceResult, false, V1},
                                              {"ok", kTraceBoolean, kTraceResult, false, V1}};
// Version 1 named the handle closed, "url" or "internet"; version 2 gives it.
const TraceFieldShape kInternetCloseFields[] = {{"handle", kTraceText, kTraceArgument, false, 1, 1},
                                               {"handle", kTraceNumber, kTraceArgument, false, V2}};
const TraceFieldShape kMessageFields[] = {{"title", kTraceText, kTraceArgument, false, V1},
                                         {"text", kTraceText, kTraceArgument, false, V1}};
const TraceFieldShape kQuitFields[] = {{"code", kTraceNumber, kTraceArgument, false, V1}};
const TraceFieldShape kEndFields[] = {{"outcome", kTraceText, kTraceResult, false, V1},
                                     {"latitude", kTraceReal, kTraceResult, true, V1},
                                     {"longitude", kTraceReal, kTraceResult, true, V1}};
const TraceFieldShape kCutFields[] = {{"limit", kTraceNumber, kTraceResult, false, V1},
                                     {"skipped", kTraceNumber, kTraceResult, false, V2}};
#undef V1
#undef V2
// clang-format on

#define POSRELAY_TRACE_FIELDS(fields) (fields), sizeof(fields) / sizeof((fields)[0])

const TraceOperationShape kOperations[] = {
    {"executable_path", POSRELAY_TRACE_FIELDS(kExecutablePathFields)},
    {"open_file", POSRELAY_TRACE_FIELDS(kOpenFileFields)},
    {"read_line", POSRELAY_TRACE_FIELDS(kReadLineFields)},
    {"close_file", 0, 0},
    {"open_device", POSRELAY_TRACE_FIELDS(kOpenDeviceFields)},
    {"write", POSRELAY_TRACE_FIELDS(kWriteFields)},
    {"read", POSRELAY_TRACE_FIELDS(kReadFields)},
    {"close_device", POSRELAY_TRACE_FIELDS(kCloseDeviceFields)},
    {"sleep", POSRELAY_TRACE_FIELDS(kSleepFields)},
    {"find_window", POSRELAY_TRACE_FIELDS(kFindWindowFields)},
    {"foreground", POSRELAY_TRACE_FIELDS(kForegroundFields)},
    {"post_message", POSRELAY_TRACE_FIELDS(kPostMessageFields)},
    {"create_process", POSRELAY_TRACE_FIELDS(kCreateProcessFields)},
    {"key", POSRELAY_TRACE_FIELDS(kKeyFields)},
    {"pre_key", 0, 0},
    {"post_key", 0, 0},
    {"registry_open", POSRELAY_TRACE_FIELDS(kRegistryOpenFields)},
    {"registry_set", POSRELAY_TRACE_FIELDS(kRegistrySetFields)},
    {"registry_close", 0, 0},
    {"load_library", POSRELAY_TRACE_FIELDS(kLoadLibraryFields)},
    {"find_function", POSRELAY_TRACE_FIELDS(kFindFunctionFields)},
    {"release_library", 0, 0},
    {"ras_enumerate", POSRELAY_TRACE_FIELDS(kRasEnumerateFields)},
    {"ras_connection", POSRELAY_TRACE_FIELDS(kRasConnectionFields)},
    {"ras_hang_up", POSRELAY_TRACE_FIELDS(kRasHangUpFields)},
    {"internet_open", POSRELAY_TRACE_FIELDS(kInternetOpenFields)},
    {"internet_set_option", POSRELAY_TRACE_FIELDS(kInternetSetOptionFields)},
    {"open_url", POSRELAY_TRACE_FIELDS(kOpenUrlFields)},
    {"internet_read", POSRELAY_TRACE_FIELDS(kInternetReadFields)},
    {"internet_close", POSRELAY_TRACE_FIELDS(kInternetCloseFields)},
    {"message", POSRELAY_TRACE_FIELDS(kMessageFields)},
    {"quit", POSRELAY_TRACE_FIELDS(kQuitFields)},
    {"end", POSRELAY_TRACE_FIELDS(kEndFields)},
    {"cut", POSRELAY_TRACE_FIELDS(kCutFields)},
};

#undef POSRELAY_TRACE_FIELDS

}  // namespace

bool TraceFieldInVersion(const TraceFieldShape& field, int version) {
  return version >= field.firstVersion && (field.lastVersion == 0 || version <= field.lastVersion);
}

const TraceOperationShape* FindTraceOperation(const char* op, size_t length) {
  for (size_t i = 0; i < sizeof kOperations / sizeof kOperations[0]; ++i) {
    const char* name = kOperations[i].op;
    if (strlen(name) == length && memcmp(name, op, length) == 0) return &kOperations[i];
  }
  return 0;
}
