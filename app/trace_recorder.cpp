#include "app/trace_recorder.h"

#include <cstring>

#include "platform/trace_operations.h"
#include "platform/utf8_text.h"

namespace {

const int kTraceFormatVersion = 1;
// Lines are handed to the sink in pieces of about this size.
const std::size_t kPendingBytes = 8192;
// Room kept at the bound for the line that says the trace was cut.
const std::size_t kCutLineBytes = 64;
// What a dial-up function reports when no recorder stands behind it.
const unsigned int kInvalidHandle = 6;  // ERROR_INVALID_HANDLE

TraceRecorder* activeRecorder = 0;

unsigned int POSRELAY_WINAPI RecordedRasEnumConnections(RasConnectionRecord* records,
                                                        unsigned int* bufferBytes,
                                                        unsigned int* connectionCount) {
  return activeRecorder
             ? activeRecorder->EnumerateConnections(records, bufferBytes, connectionCount)
             : kInvalidHandle;
}

unsigned int POSRELAY_WINAPI RecordedRasHangUp(void* connection) {
  return activeRecorder ? activeRecorder->HangUpConnection(connection) : kInvalidHandle;
}

std::string EntryName(const RasConnectionRecord& record) {
  std::size_t length = 0;
  while (length <= kRasEntryNameCharacters && record.entryName[length] != 0) ++length;
  std::string entry;
  AppendUtf16AsUtf8(record.entryName, length, entry);
  return entry;
}

}  // namespace

void AppendTraceHeader(const TraceOrigin& origin, std::string& line) {
  line += "{\"format\":\"posrelay-trace\",\"version\":";
  AppendJsonNumber(kTraceFormatVersion, line);
  line += ",\"system\":";
  AppendJsonText(origin.system, std::strlen(origin.system), line);
  line += ",\"launcher\":";
  AppendJsonText(origin.launcherVersion, std::strlen(origin.launcherVersion), line);
  line += ",\"codepage\":";
  AppendJsonNumber(origin.codePage, line);
  line += "}\n";
}

TraceRecorder::TraceRecorder(PlatformServices& platform, TraceSink& sink, TraceClock& clock,
                             const TraceOrigin& origin)
    : platform_(platform),
      sink_(sink),
      clock_(clock),
      traceBytes_(0),
      recording_(true),
      sinkWorks_(true),
      enumerate_(0),
      hangUp_(0) {
  activeRecorder = this;
  StartRunOutcome(outcome_);
  pending_.reserve(kPendingBytes * 2);
  AppendTraceHeader(origin, line_);
  Append(line_);
}

TraceRecorder::~TraceRecorder() {
  if (activeRecorder == this) activeRecorder = 0;
}

void TraceRecorder::Append(const std::string& line) {
  if (!recording_) return;
  if (traceBytes_ + line.size() + kCutLineBytes > kTraceLimitBytes) {
    TraceRecord cut;
    RecordCut(cut, Now(), static_cast<unsigned int>(kTraceLimitBytes));
    AppendTraceLine(cut, cut.Event(0), pending_);
    recording_ = false;
    WritePending();
    return;
  }
  pending_ += line;
  traceBytes_ += line.size();
  if (pending_.size() >= kPendingBytes) WritePending();
}

void TraceRecorder::WritePending() {
  if (sinkWorks_ && !pending_.empty() && !sink_.Append(pending_.data(), pending_.size())) {
    sinkWorks_ = false;
    recording_ = false;
  }
  pending_.clear();
}

void TraceRecorder::FlushTrace() {
  WritePending();
  if (sinkWorks_ && !sink_.Flush()) {
    sinkWorks_ = false;
    recording_ = false;
  }
}

void TraceRecorder::WriteOperation() {
  if (recording_) {
    const TraceEvent& event = operation_.Event(0);
    NoteRunOperation(outcome_, operation_, event);
    line_.clear();
    AppendTraceLine(operation_, event, line_);
    Append(line_);
  }
  operation_.Clear();
}

void TraceRecorder::Finish() {
  RecordRunEnd(operation_, Now(), outcome_);
  WriteOperation();
  FlushTrace();
}

std::wstring TraceRecorder::ExecutablePath() {
  const TraceTime t = Now();
  std::wstring path = platform_.ExecutablePath();
  RecordExecutablePath(operation_, t, path);
  WriteOperation();
  return path;
}

FileHandle TraceRecorder::OpenTextFile(const std::wstring& path) {
  const TraceTime t = Now();
  const FileHandle file = platform_.OpenTextFile(path);
  RecordOpenFile(operation_, t, path, file != 0);
  WriteOperation();
  return file;
}

int TraceRecorder::ReadTextLine(FileHandle file, int maxBytes, std::string& line) {
  const TraceTime t = Now();
  const int read = platform_.ReadTextLine(file, maxBytes, line);
  RecordReadLine(operation_, t, read != 0, line, platform_);
  WriteOperation();
  return read;
}

void TraceRecorder::CloseTextFile(FileHandle file) {
  RecordCloseFile(operation_, Now());
  WriteOperation();
  platform_.CloseTextFile(file);
}

// The conversions are pure; like the dry run, the trace shows them in the
// texts of the reads and writes around them.
std::wstring TraceRecorder::AnsiToWide(const std::string& bytes) {
  return platform_.AnsiToWide(bytes);
}

std::string TraceRecorder::WideToAnsi(const std::wstring& text) {
  return platform_.WideToAnsi(text);
}

DeviceHandle TraceRecorder::OpenDevice(const std::wstring& name) {
  const TraceTime t = Now();
  const DeviceHandle device = platform_.OpenDevice(name);
  RecordOpenDevice(operation_, t, name, device != 0);
  WriteOperation();
  return device;
}

int TraceRecorder::WriteDevice(DeviceHandle device, const char* bytes, int count) {
  const TraceTime t = Now();
  const int written = platform_.WriteDevice(device, bytes, count);
  const std::string sent =
      bytes && count > 0 ? std::string(bytes, static_cast<std::size_t>(count)) : std::string();
  RecordWrite(operation_, t, sent, written, platform_);
  WriteOperation();
  return written;
}

int TraceRecorder::ReadDevice(DeviceHandle device, char* buffer, int capacity) {
  const TraceTime t = Now();
  const int count = platform_.ReadDevice(device, buffer, capacity);
  // Only what lies within the buffer is recorded, whatever count came back.
  int kept = count < 0 ? 0 : count;
  if (kept > capacity) kept = capacity < 0 ? 0 : capacity;
  const std::string received =
      kept > 0 ? std::string(buffer, static_cast<std::size_t>(kept)) : std::string();
  RecordRead(operation_, t, received, count, platform_);
  WriteOperation();
  return count;
}

void TraceRecorder::CloseDevice(DeviceHandle device) {
  RecordCloseDevice(operation_, Now());
  WriteOperation();
  platform_.CloseDevice(device);
}

void TraceRecorder::SleepFor(unsigned int milliseconds) {
  RecordSleep(operation_, Now(), milliseconds);
  WriteOperation();
  platform_.SleepFor(milliseconds);
}

WindowHandle TraceRecorder::FindTopWindow(const std::wstring& className) {
  const TraceTime t = Now();
  const WindowHandle window = platform_.FindTopWindow(className);
  RecordFindWindow(operation_, t, className, window);
  WriteOperation();
  return window;
}

void TraceRecorder::SetForeground(WindowHandle window) {
  RecordForeground(operation_, Now(), window);
  WriteOperation();
  platform_.SetForeground(window);
}

int TraceRecorder::PostWindowMessage(WindowHandle window, unsigned int message, std::size_t wParam,
                                     std::ptrdiff_t lParam) {
  const TraceTime t = Now();
  const int posted = platform_.PostWindowMessage(window, message, wParam, lParam);
  RecordPostMessage(operation_, t, window, message, wParam, lParam, posted != 0);
  WriteOperation();
  return posted;
}

int TraceRecorder::StartProcess(const std::wstring& executable, const std::wstring& commandLine) {
  const TraceTime t = Now();
  const int started = platform_.StartProcess(executable, commandLine);
  RecordCreateProcess(operation_, t, executable, commandLine, started != 0);
  WriteOperation();
  return started;
}

void TraceRecorder::SendKeyEvent(unsigned char virtualKey, bool keyUp) {
  RecordKey(operation_, Now(), virtualKey, keyUp);
  WriteOperation();
  platform_.SendKeyEvent(virtualKey, keyUp);
}

void TraceRecorder::PreKeyCall() {
  RecordPreKey(operation_, Now());
  WriteOperation();
  platform_.PreKeyCall();
}

void TraceRecorder::PostKeyCall() {
  RecordPostKey(operation_, Now());
  WriteOperation();
  platform_.PostKeyCall();
}

RegistryKey TraceRecorder::OpenCurrentUserKey(const std::wstring& path) {
  const TraceTime t = Now();
  const RegistryKey key = platform_.OpenCurrentUserKey(path);
  RecordRegistryOpen(operation_, t, path, key != 0);
  WriteOperation();
  return key;
}

int TraceRecorder::SetDwordValue(RegistryKey key, const std::wstring& name, unsigned int value) {
  const TraceTime t = Now();
  const int set = platform_.SetDwordValue(key, name, value);
  RecordRegistrySet(operation_, t, name, value, set != 0);
  WriteOperation();
  return set;
}

void TraceRecorder::CloseRegistryKey(RegistryKey key) {
  RecordRegistryClose(operation_, Now());
  WriteOperation();
  platform_.CloseRegistryKey(key);
}

LibraryHandle TraceRecorder::OpenLibrary(const std::wstring& name) {
  const TraceTime t = Now();
  const LibraryHandle library = platform_.OpenLibrary(name);
  RecordLoadLibrary(operation_, t, name, library != 0);
  WriteOperation();
  return library;
}

LibraryFunction TraceRecorder::FindFunction(LibraryHandle library, const std::wstring& name) {
  const TraceTime t = Now();
  const LibraryFunction function = platform_.FindFunction(library, name);
  RecordFindFunction(operation_, t, name, function != 0);
  WriteOperation();
  if (!function) return 0;
  // The dial-up functions are answered by the recorder, which calls the
  // system's own and records each call.
  if (name == L"RasEnumConnections") {
    enumerate_ = reinterpret_cast<RasEnumConnectionsFunction>(function);
    return reinterpret_cast<LibraryFunction>(&RecordedRasEnumConnections);
  }
  if (name == L"RasHangUp") {
    hangUp_ = reinterpret_cast<RasHangUpFunction>(function);
    return reinterpret_cast<LibraryFunction>(&RecordedRasHangUp);
  }
  return function;
}

void TraceRecorder::ReleaseLibrary(LibraryHandle library) {
  RecordReleaseLibrary(operation_, Now());
  WriteOperation();
  platform_.ReleaseLibrary(library);
}

unsigned int TraceRecorder::EnumerateConnections(RasConnectionRecord* records,
                                                 unsigned int* bufferBytes,
                                                 unsigned int* connectionCount) {
  const TraceTime t = Now();
  const std::size_t capacity = bufferBytes ? *bufferBytes / sizeof(RasConnectionRecord) : 0;
  const unsigned int result = enumerate_(records, bufferBytes, connectionCount);
  const unsigned int count = result == 0 && connectionCount ? *connectionCount : 0;
  RecordRasEnumerate(operation_, t, count, result);
  WriteOperation();
  // The hang-ups name the entry the listing gave each handle.
  connections_.clear();
  for (std::size_t i = 0; records && i < count && i < capacity; ++i) {
    Connection connection;
    connection.handle = records[i].connection;
    connection.entry = EntryName(records[i]);
    connections_.push_back(connection);
  }
  return result;
}

unsigned int TraceRecorder::HangUpConnection(void* connection) {
  const TraceTime t = Now();
  const unsigned int handle = static_cast<unsigned int>(reinterpret_cast<std::size_t>(connection));
  std::string entry;
  for (std::size_t i = 0; i < connections_.size() && entry.empty(); ++i) {
    if (connections_[i].handle == handle) entry = connections_[i].entry;
  }
  const unsigned int result = hangUp_(connection);
  RecordRasHangUp(operation_, t, entry, handle, result == 0);
  WriteOperation();
  return result;
}

InternetHandle TraceRecorder::OpenInternet(const std::wstring& agent, unsigned int accessType) {
  const TraceTime t = Now();
  const InternetHandle internet = platform_.OpenInternet(agent, accessType);
  RecordInternetOpen(operation_, t, agent, accessType, internet != 0);
  WriteOperation();
  return internet;
}

int TraceRecorder::SetInternetOption(InternetHandle handle, unsigned int option, const void* value,
                                     unsigned int size) {
  const TraceTime t = Now();
  const int set = platform_.SetInternetOption(handle, option, value, size);
  RecordInternetSetOption(operation_, t, option, value, size, set != 0);
  WriteOperation();
  return set;
}

InternetHandle TraceRecorder::OpenInternetUrl(InternetHandle internet, const std::wstring& url) {
  const TraceTime t = Now();
  const InternetHandle opened = platform_.OpenInternetUrl(internet, url);
  RecordOpenUrl(operation_, t, url, opened != 0);
  WriteOperation();
  if (opened) urlHandles_.push_back(opened);
  return opened;
}

int TraceRecorder::ReadInternetFile(InternetHandle url, char* buffer, unsigned int toRead,
                                    unsigned int& bytesRead) {
  const TraceTime t = Now();
  const int read = platform_.ReadInternetFile(url, buffer, toRead, bytesRead);
  RecordInternetRead(operation_, t, bytesRead, read != 0);
  WriteOperation();
  return read;
}

int TraceRecorder::CloseInternetHandle(InternetHandle handle) {
  const TraceTime t = Now();
  bool url = false;
  for (std::size_t i = 0; i < urlHandles_.size() && !url; ++i) {
    url = urlHandles_[i] == handle;
    if (url) urlHandles_.erase(urlHandles_.begin() + static_cast<std::ptrdiff_t>(i));
  }
  const int closed = platform_.CloseInternetHandle(handle);
  RecordInternetClose(operation_, t, url);
  WriteOperation();
  return closed;
}

void TraceRecorder::ShowMessage(const std::wstring& title, const std::wstring& text) {
  RecordMessage(operation_, Now(), title, text);
  WriteOperation();
  // The owner may leave the message on screen and reset the handset.
  FlushTrace();
  platform_.ShowMessage(title, text);
}

void TraceRecorder::RequestQuit(int exitCode) {
  RecordQuit(operation_, Now(), exitCode);
  WriteOperation();
  platform_.RequestQuit(exitCode);
}
