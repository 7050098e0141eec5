#include "trace/trace_recorder.h"

#include "platform/system_errors.h"

#include "trace/trace_operations.h"
#include "trace/utf8_text.h"

namespace {

TraceRecorder* activeRecorder = 0;

unsigned int POSRELAY_WINAPI RecordedRasEnumConnections(RasConnectionRecord* records,
                                                        unsigned int* bufferBytes,
                                                        unsigned int* connectionCount) {
  return activeRecorder
             ? activeRecorder->EnumerateConnections(records, bufferBytes, connectionCount)
             : kErrorInvalidHandle;
}

unsigned int POSRELAY_WINAPI RecordedRasHangUp(void* connection) {
  return activeRecorder ? activeRecorder->HangUpConnection(connection) : kErrorInvalidHandle;
}

std::string EntryName(const RasConnectionRecord& record) {
  size_t length = 0;
  while (length <= kRasEntryNameCharacters && record.entryName[length] != 0) ++length;
  std::string entry;
  AppendUtf16AsUtf8(record.entryName, length, entry);
  return entry;
}

}  // namespace

TraceRecorder::TraceRecorder(PlatformServices& platform, TraceClock& clock, TraceSink& sink)
    : platform_(platform),
      clock_(clock),
      sink_(sink),
      wrapped_(activeRecorder),
      enumerate_(0),
      hangUp_(0) {
  Restart();
}

TraceRecorder::~TraceRecorder() {
  if (activeRecorder == this) activeRecorder = wrapped_;
}

void TraceRecorder::Restart() {
  activeRecorder = this;
  StartRunOutcome(outcome_);
  operation_.Clear();
  enumerate_ = 0;
  hangUp_ = 0;
  connections_.clear();
}

void TraceRecorder::Emit() {
  const TraceEvent& event = operation_.Event(0);
  NoteRunOperation(outcome_, operation_, event);
  sink_.Take(operation_, event);
  operation_.Clear();
}

void TraceRecorder::Finish() {
  RecordRunEnd(operation_, Now(), outcome_);
  Emit();
  sink_.WriteOut();
}

std::wstring TraceRecorder::ExecutablePath() {
  const TraceTime t = Now();
  std::wstring path = platform_.ExecutablePath();
  RecordExecutablePath(operation_, t, path);
  Emit();
  return path;
}

FileHandle TraceRecorder::OpenTextFile(const std::wstring& path) {
  const TraceTime t = Now();
  const FileHandle file = platform_.OpenTextFile(path);
  RecordOpenFile(operation_, t, path, file != 0, ErrorIf(!file));
  Emit();
  return file;
}

int TraceRecorder::ReadTextLine(FileHandle file, int maxBytes, std::string& line) {
  const TraceTime t = Now();
  const int read = platform_.ReadTextLine(file, maxBytes, line);
  RecordReadLine(operation_, t, read != 0, line, platform_);
  Emit();
  return read;
}

void TraceRecorder::CloseTextFile(FileHandle file) {
  RecordCloseFile(operation_, Now());
  Emit();
  platform_.CloseTextFile(file);
}

// The conversions are pure; the trace shows them in the texts of the reads
// and writes around them.
std::wstring TraceRecorder::AnsiToWide(const std::string& bytes) {
  return platform_.AnsiToWide(bytes);
}

std::string TraceRecorder::WideToAnsi(const std::wstring& text) {
  return platform_.WideToAnsi(text);
}

DeviceHandle TraceRecorder::OpenDevice(const std::wstring& name) {
  const TraceTime t = Now();
  const DeviceHandle device = platform_.OpenDevice(name);
  RecordOpenDevice(operation_, t, name, device, ErrorIf(!device));
  Emit();
  return device;
}

int TraceRecorder::WriteDevice(DeviceHandle device, const char* bytes, int count) {
  const TraceTime t = Now();
  const int written = platform_.WriteDevice(device, bytes, count);
  const size_t sent = bytes && count > 0 ? static_cast<size_t>(count) : 0;
  bytes_.assign(sent > 0 ? bytes : "", sent);
  RecordWrite(operation_, t, device, bytes_, written, platform_);
  Emit();
  return written;
}

int TraceRecorder::ReadDevice(DeviceHandle device, char* buffer, int capacity) {
  const TraceTime t = Now();
  const int count = platform_.ReadDevice(device, buffer, capacity);
  // Only what lies within the buffer is recorded, whatever count came back.
  int kept = count < 0 ? 0 : count;
  if (kept > capacity) kept = capacity < 0 ? 0 : capacity;
  bytes_.assign(kept > 0 ? buffer : "", static_cast<size_t>(kept));
  RecordRead(operation_, t, device, capacity, bytes_, count, platform_);
  Emit();
  return count;
}

void TraceRecorder::CloseDevice(DeviceHandle device) {
  RecordCloseDevice(operation_, Now(), device);
  Emit();
  platform_.CloseDevice(device);
}

// The write-out counts against the pause it precedes, so that a traced pause
// ends when an untraced one would; a write longer than the pause takes its
// place, and the next operation's time shows the stretch.
void TraceRecorder::SleepFor(unsigned int milliseconds) {
  const TraceTime asked = Now();
  RecordSleep(operation_, asked, milliseconds);
  Emit();
  // A pause of no time hides no write: its line waits for the next pause.
  if (milliseconds == 0) {
    platform_.SleepFor(0);
    return;
  }
  sink_.WriteOut();
  const TraceTime now = Now();
  const TraceTime spent = now > asked ? now - asked : 0;
  if (spent < milliseconds) platform_.SleepFor(milliseconds - static_cast<unsigned int>(spent));
}

WindowHandle TraceRecorder::FindTopWindow(const std::wstring& className) {
  const TraceTime t = Now();
  const WindowHandle window = platform_.FindTopWindow(className);
  RecordFindWindow(operation_, t, className, window);
  Emit();
  return window;
}

void TraceRecorder::SetForeground(WindowHandle window) {
  RecordForeground(operation_, Now(), window);
  Emit();
  platform_.SetForeground(window);
}

int TraceRecorder::PostWindowMessage(WindowHandle window, unsigned int message, size_t wParam,
                                     ptrdiff_t lParam) {
  const TraceTime t = Now();
  const int posted = platform_.PostWindowMessage(window, message, wParam, lParam);
  RecordPostMessage(operation_, t, window, message, wParam, lParam, posted != 0);
  Emit();
  return posted;
}

int TraceRecorder::StartProcess(const std::wstring& executable, const std::wstring& commandLine) {
  const TraceTime t = Now();
  const int started = platform_.StartProcess(executable, commandLine);
  RecordCreateProcess(operation_, t, executable, commandLine, started != 0, ErrorIf(!started));
  Emit();
  return started;
}

void TraceRecorder::SendKeyEvent(unsigned char virtualKey, bool keyUp) {
  RecordKey(operation_, Now(), virtualKey, keyUp);
  Emit();
  platform_.SendKeyEvent(virtualKey, keyUp);
}

void TraceRecorder::PreKeyCall() {
  RecordPreKey(operation_, Now());
  Emit();
  platform_.PreKeyCall();
}

void TraceRecorder::PostKeyCall() {
  RecordPostKey(operation_, Now());
  Emit();
  platform_.PostKeyCall();
}

RegistryKey TraceRecorder::OpenCurrentUserKey(const std::wstring& path) {
  const TraceTime t = Now();
  const RegistryKey key = platform_.OpenCurrentUserKey(path);
  RecordRegistryOpen(operation_, t, path, key != 0, ErrorIf(!key));
  Emit();
  return key;
}

int TraceRecorder::SetDwordValue(RegistryKey key, const std::wstring& name, unsigned int value) {
  const TraceTime t = Now();
  const int set = platform_.SetDwordValue(key, name, value);
  RecordRegistrySet(operation_, t, name, value, set != 0);
  Emit();
  return set;
}

void TraceRecorder::CloseRegistryKey(RegistryKey key) {
  RecordRegistryClose(operation_, Now());
  Emit();
  platform_.CloseRegistryKey(key);
}

LibraryHandle TraceRecorder::OpenLibrary(const std::wstring& name) {
  const TraceTime t = Now();
  const LibraryHandle library = platform_.OpenLibrary(name);
  RecordLoadLibrary(operation_, t, name, library != 0, ErrorIf(!library));
  Emit();
  return library;
}

LibraryFunction TraceRecorder::FindFunction(LibraryHandle library, const std::wstring& name) {
  const TraceTime t = Now();
  const LibraryFunction function = platform_.FindFunction(library, name);
  RecordFindFunction(operation_, t, name, function != 0);
  Emit();
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
  Emit();
  platform_.ReleaseLibrary(library);
}

unsigned int TraceRecorder::EnumerateConnections(RasConnectionRecord* records,
                                                 unsigned int* bufferBytes,
                                                 unsigned int* connectionCount) {
  const TraceTime t = Now();
  // What the launcher gave the listing: the first record's size, and room.
  const unsigned int recordSize = records ? records[0].size : 0;
  const unsigned int room = bufferBytes ? *bufferBytes : 0;
  activeRecorder = wrapped_;
  const unsigned int result = enumerate_(records, bufferBytes, connectionCount);
  activeRecorder = this;
  const unsigned int count = result == kNoError && connectionCount ? *connectionCount : 0;
  RecordRasEnumerate(operation_, t, recordSize, room, count, result);
  Emit();
  // Each connection listed, as far as the room went; the hang-ups name the
  // entry the listing gave each handle.
  connections_.clear();
  const size_t capacity = room / sizeof(RasConnectionRecord);
  for (size_t i = 0; records && i < count && i < capacity; ++i) {
    Connection connection;
    connection.handle = records[i].connection;
    connection.entry = EntryName(records[i]);
    connections_.push_back(connection);
    RecordRasConnection(operation_, t, connection.entry, connection.handle);
    Emit();
  }
  return result;
}

unsigned int TraceRecorder::HangUpConnection(void* connection) {
  const TraceTime t = Now();
  const unsigned int handle = static_cast<unsigned int>(reinterpret_cast<size_t>(connection));
  std::string entry;
  for (size_t i = 0; i < connections_.size() && entry.empty(); ++i) {
    if (connections_[i].handle == handle) entry = connections_[i].entry;
  }
  activeRecorder = wrapped_;
  const unsigned int result = hangUp_(connection);
  activeRecorder = this;
  RecordRasHangUp(operation_, t, entry, handle, result);
  Emit();
  return result;
}

InternetHandle TraceRecorder::OpenInternet(const std::wstring& agent, unsigned int accessType) {
  const TraceTime t = Now();
  const InternetHandle internet = platform_.OpenInternet(agent, accessType);
  RecordInternetOpen(operation_, t, agent, accessType, internet, ErrorIf(!internet));
  Emit();
  return internet;
}

int TraceRecorder::SetInternetOption(InternetHandle handle, unsigned int option, const void* value,
                                     unsigned int size) {
  const TraceTime t = Now();
  const int set = platform_.SetInternetOption(handle, option, value, size);
  RecordInternetSetOption(operation_, t, handle, option, value, size, set != 0);
  Emit();
  return set;
}

InternetHandle TraceRecorder::OpenInternetUrl(InternetHandle internet, const std::wstring& url) {
  const TraceTime t = Now();
  const InternetHandle opened = platform_.OpenInternetUrl(internet, url);
  RecordOpenUrl(operation_, t, internet, url, opened, ErrorIf(!opened));
  Emit();
  return opened;
}

int TraceRecorder::ReadInternetFile(InternetHandle url, char* buffer, unsigned int toRead,
                                    unsigned int& bytesRead) {
  const TraceTime t = Now();
  const int read = platform_.ReadInternetFile(url, buffer, toRead, bytesRead);
  RecordInternetRead(operation_, t, url, toRead, bytesRead, read != 0);
  Emit();
  return read;
}

int TraceRecorder::CloseInternetHandle(InternetHandle handle) {
  const TraceTime t = Now();
  const int closed = platform_.CloseInternetHandle(handle);
  RecordInternetClose(operation_, t, handle);
  Emit();
  return closed;
}

void TraceRecorder::ShowMessage(const std::wstring& title, const std::wstring& text) {
  RecordMessage(operation_, Now(), title, text);
  Emit();
  // The owner may leave the message on screen and reset the handset.
  sink_.WriteOut();
  platform_.ShowMessage(title, text);
}

void TraceRecorder::RequestQuit(int exitCode) {
  RecordQuit(operation_, Now(), exitCode);
  Emit();
  platform_.RequestQuit(exitCode);
}

unsigned int TraceRecorder::LastError() { return platform_.LastError(); }

void RecordRun(RecordedRun run, TraceRecorder& recorder) {
  run(recorder);
  recorder.Finish();
}

void RecordRun(RecordedRun run, PlatformServices& platform, TraceClock& clock, TraceSink& sink) {
  TraceRecorder recorder(platform, clock, sink);
  RecordRun(run, recorder);
}
