#include "platform/sim/trace_player.h"

#include <cstring>

#include "platform/sim/text_encoding.h"
#include "platform/trace_operations.h"

namespace {

thread_local TracePlayer* activePlayer = nullptr;

unsigned int POSRELAY_WINAPI PlayedRasEnumConnections(RasConnectionRecord* records,
                                                      unsigned int* bufferBytes,
                                                      unsigned int* connectionCount) {
  return activePlayer ? activePlayer->EnumerateConnections(records, bufferBytes, connectionCount)
                      : kRasInvalidHandle;
}

unsigned int POSRELAY_WINAPI PlayedRasHangUp(void* connection) {
  return activePlayer ? activePlayer->HangUpConnection(connection) : kRasInvalidHandle;
}

bool IsOp(const TraceEvent& event, const char* op) { return std::strcmp(event.op, op) == 0; }

// Whether the launcher passed what the trace says it passed. Results are the
// trace's own, and a build setting belongs to the build that recorded it.
bool SameArguments(const TraceRecord& a, const TraceEvent& x, const TraceRecord& b,
                   const TraceEvent& y) {
  if (!IsOp(x, y.op)) return false;
  const TraceOperationShape* shape = FindTraceOperation(x.op, std::strlen(x.op));
  for (unsigned int i = 0; shape && i < shape->fieldCount; ++i) {
    if (shape->fields[i].role != kTraceArgument) continue;
    const TraceField* one = a.FindField(x, shape->fields[i].name);
    const TraceField* other = b.FindField(y, shape->fields[i].name);
    if (!one || !other ? one != other : !SameTraceField(a, *one, b, *other)) return false;
  }
  return true;
}

// The launcher's own part of a call: what it passed, not what it would
// have been answered.
void CopyArguments(const TraceRecord& from, const TraceEvent& event, TraceRecord& to) {
  const TraceOperationShape* shape = FindTraceOperation(event.op, std::strlen(event.op));
  to.Begin(event.timeMs, event.op);
  for (unsigned int i = 0; shape && i < shape->fieldCount; ++i) {
    const TraceField* field = from.FindField(event, shape->fields[i].name);
    if (!field || shape->fields[i].role == kTraceResult) continue;
    if (field->kind == kTraceText) {
      to.AddText(field->name, from.TextData(*field), field->textLength);
    } else if (field->kind == kTraceBoolean) {
      to.AddBoolean(field->name, field->value.number != 0);
    } else {
      to.AddNumber(field->name, field->value.number);
    }
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return 0;
}

}  // namespace

std::string RecordedBytes(const TraceRecord& record, const TraceEvent& event) {
  const TraceField* hex = record.FindField(event, "hex");
  if (hex) {
    std::string bytes;
    const char* digits = record.TextData(*hex);
    for (std::size_t i = 0; i + 1 < hex->textLength; i += 2) {
      bytes += static_cast<char>(HexDigit(digits[i]) * 16 + HexDigit(digits[i + 1]));
    }
    return bytes;
  }
  const TraceField* text = record.FindField(event, "text");
  if (!text) return std::string();
  std::wstring wide;
  Utf8ToWide(record.Text(*text), wide);
  return WideToCp932(wide);
}

TracePlayer::TracePlayer(const TraceRecord& recorded, bool cut) : recorded_(recorded), cut_(cut) {
  activePlayer = this;
  replayed_.Reserve(recorded.Size(), 2 * recorded.Size(), 16 * recorded.Size());
}

TracePlayer::~TracePlayer() {
  if (activePlayer == this) activePlayer = nullptr;
}

// The next recorded operation when the replay goes on and it is `op`;
// null when the launcher's call cannot match it. Starts the call's record.
const TraceEvent* TracePlayer::Expect(const char* op) {
  call_.Clear();
  if (stopped_ || next_ >= recorded_.Size()) return nullptr;
  const TraceEvent& recorded = recorded_.Event(next_);
  return IsOp(recorded, op) ? &recorded : nullptr;
}

// Compares the call just recorded with the trace, and plays it on or stops.
void TracePlayer::Settle(const TraceEvent* recorded) {
  if (stopped_) return;
  const TraceEvent& call = call_.Event(0);
  if (next_ >= recorded_.Size() && cut_) {
    stopped_ = true;
    return;
  }
  if (!recorded || !SameArguments(recorded_, *recorded, call_, call)) {
    CopyArguments(call_, call, divergentCall_);
    Diverge();
    return;
  }
  replayed_.Copy(call_, call);
  ++next_;
}

void TracePlayer::Diverge() {
  stopped_ = true;
  diverged_ = true;
}

void TracePlayer::Finish() {
  if (!stopped_ && next_ < recorded_.Size()) Diverge();
  stopped_ = true;
}

std::size_t TracePlayer::Issue() { return ++nextHandle_; }

TraceNumber TracePlayer::Number(const TraceEvent* recorded, const char* name) const {
  const TraceField* field = recorded ? recorded_.FindField(*recorded, name) : nullptr;
  return field ? field->value.number : 0;
}

bool TracePlayer::Ok(const TraceEvent* recorded) const { return Number(recorded, "ok") != 0; }

std::string TracePlayer::Text(const TraceEvent* recorded, const char* name) const {
  const TraceField* field = recorded ? recorded_.FindField(*recorded, name) : nullptr;
  return field ? recorded_.Text(*field) : std::string();
}

std::wstring TracePlayer::ExecutablePath() {
  const TraceEvent* recorded = Expect("executable_path");
  std::wstring path;
  Utf8ToWide(Text(recorded, "path"), path);
  RecordExecutablePath(call_, now_, path);
  Settle(recorded);
  return path;
}

FileHandle TracePlayer::OpenTextFile(const std::wstring& path) {
  const TraceEvent* recorded = Expect("open_file");
  const FileHandle file = Ok(recorded) ? Issue() : 0;
  RecordOpenFile(call_, now_, path, file != 0);
  Settle(recorded);
  return file;
}

int TracePlayer::ReadTextLine(FileHandle, int maxBytes, std::string& line) {
  const TraceEvent* recorded = Expect("read_line");
  const bool ok = Ok(recorded);
  if (ok) {
    line = RecordedBytes(recorded_, *recorded);
    // As any platform: no more than was asked for.
    if (line.size() > static_cast<std::size_t>(maxBytes < 0 ? 0 : maxBytes)) {
      line.resize(static_cast<std::size_t>(maxBytes < 0 ? 0 : maxBytes));
    }
  }
  RecordReadLine(call_, now_, ok, line, *this);
  Settle(recorded);
  return ok ? 1 : 0;
}

void TracePlayer::CloseTextFile(FileHandle) {
  const TraceEvent* recorded = Expect("close_file");
  RecordCloseFile(call_, now_);
  Settle(recorded);
}

std::wstring TracePlayer::AnsiToWide(const std::string& bytes) { return Cp932ToWide(bytes); }

std::string TracePlayer::WideToAnsi(const std::wstring& text) { return WideToCp932(text); }

DeviceHandle TracePlayer::OpenDevice(const std::wstring& name) {
  const TraceEvent* recorded = Expect("open_device");
  const DeviceHandle device = Ok(recorded) ? Issue() : 0;
  RecordOpenDevice(call_, now_, name, device != 0);
  Settle(recorded);
  return device;
}

int TracePlayer::WriteDevice(DeviceHandle, const char* bytes, int count) {
  const TraceEvent* recorded = Expect("write");
  const std::string sent =
      bytes && count > 0 ? std::string(bytes, static_cast<std::size_t>(count)) : std::string();
  const int written = static_cast<int>(Number(recorded, "count"));
  RecordWrite(call_, now_, sent, written, *this);
  Settle(recorded);
  return written;
}

int TracePlayer::ReadDevice(DeviceHandle, char* buffer, int capacity) {
  const TraceEvent* recorded = Expect("read");
  std::string received = recorded ? RecordedBytes(recorded_, *recorded) : std::string();
  const std::size_t room = static_cast<std::size_t>(capacity < 0 ? 0 : capacity);
  if (received.size() > room) received.resize(room);
  if (!received.empty()) std::memcpy(buffer, received.data(), received.size());
  TraceNumber count = Number(recorded, "count");
  if (count > static_cast<TraceNumber>(room)) count = static_cast<TraceNumber>(room);
  RecordRead(call_, now_, received, static_cast<int>(count), *this);
  Settle(recorded);
  return static_cast<int>(count);
}

void TracePlayer::CloseDevice(DeviceHandle) {
  const TraceEvent* recorded = Expect("close_device");
  RecordCloseDevice(call_, now_);
  Settle(recorded);
}

void TracePlayer::SleepFor(unsigned int milliseconds) {
  const TraceEvent* recorded = Expect("sleep");
  RecordSleep(call_, now_, milliseconds);
  Settle(recorded);
  now_ += milliseconds;
}

WindowHandle TracePlayer::FindTopWindow(const std::wstring& className) {
  const TraceEvent* recorded = Expect("find_window");
  const WindowHandle window = static_cast<WindowHandle>(Number(recorded, "window"));
  RecordFindWindow(call_, now_, className, window);
  Settle(recorded);
  return window;
}

void TracePlayer::SetForeground(WindowHandle window) {
  const TraceEvent* recorded = Expect("foreground");
  RecordForeground(call_, now_, window);
  Settle(recorded);
}

int TracePlayer::PostWindowMessage(WindowHandle window, unsigned int message, std::size_t wParam,
                                   std::ptrdiff_t lParam) {
  const TraceEvent* recorded = Expect("post_message");
  const bool ok = Ok(recorded);
  RecordPostMessage(call_, now_, window, message, wParam, lParam, ok);
  Settle(recorded);
  return ok ? 1 : 0;
}

int TracePlayer::StartProcess(const std::wstring& executable, const std::wstring& commandLine) {
  const TraceEvent* recorded = Expect("create_process");
  const bool ok = Ok(recorded);
  RecordCreateProcess(call_, now_, executable, commandLine, ok);
  Settle(recorded);
  return ok ? 1 : 0;
}

void TracePlayer::SendKeyEvent(unsigned char virtualKey, bool keyUp) {
  const TraceEvent* recorded = Expect("key");
  RecordKey(call_, now_, virtualKey, keyUp);
  Settle(recorded);
}

void TracePlayer::PreKeyCall() {
  const TraceEvent* recorded = Expect("pre_key");
  RecordPreKey(call_, now_);
  Settle(recorded);
}

void TracePlayer::PostKeyCall() {
  const TraceEvent* recorded = Expect("post_key");
  RecordPostKey(call_, now_);
  Settle(recorded);
}

RegistryKey TracePlayer::OpenCurrentUserKey(const std::wstring& path) {
  const TraceEvent* recorded = Expect("registry_open");
  const RegistryKey key = Ok(recorded) ? Issue() : 0;
  RecordRegistryOpen(call_, now_, path, key != 0);
  Settle(recorded);
  return key;
}

int TracePlayer::SetDwordValue(RegistryKey, const std::wstring& name, unsigned int value) {
  const TraceEvent* recorded = Expect("registry_set");
  const bool ok = Ok(recorded);
  RecordRegistrySet(call_, now_, name, value, ok);
  Settle(recorded);
  return ok ? 1 : 0;
}

void TracePlayer::CloseRegistryKey(RegistryKey) {
  const TraceEvent* recorded = Expect("registry_close");
  RecordRegistryClose(call_, now_);
  Settle(recorded);
}

LibraryHandle TracePlayer::OpenLibrary(const std::wstring& name) {
  const TraceEvent* recorded = Expect("load_library");
  const LibraryHandle library = Ok(recorded) ? Issue() : 0;
  RecordLoadLibrary(call_, now_, name, library != 0);
  Settle(recorded);
  return library;
}

LibraryFunction TracePlayer::FindFunction(LibraryHandle, const std::wstring& name) {
  const TraceEvent* recorded = Expect("find_function");
  LibraryFunction function = nullptr;
  // Only the dial-up functions can be played back; the launcher looks up
  // no others.
  if (Ok(recorded) && name == L"RasEnumConnections") {
    function = reinterpret_cast<LibraryFunction>(&PlayedRasEnumConnections);
  } else if (Ok(recorded) && name == L"RasHangUp") {
    function = reinterpret_cast<LibraryFunction>(&PlayedRasHangUp);
  }
  RecordFindFunction(call_, now_, name, function != nullptr);
  Settle(recorded);
  return function;
}

void TracePlayer::ReleaseLibrary(LibraryHandle) {
  const TraceEvent* recorded = Expect("release_library");
  RecordReleaseLibrary(call_, now_);
  Settle(recorded);
}

// The trace does not list the connections themselves, only the hang-ups
// that follow the listing: each of those, in order, is a connection with the
// entry and handle it was hung up by; the rest have no name and no handle,
// so that the launcher passes them by.
void TracePlayer::FillConnections(RasConnectionRecord* records, std::size_t capacity,
                                  std::size_t count) const {
  std::size_t hangUp = next_ + 1;
  for (std::size_t i = 0; i < count && i < capacity; ++i) {
    RasConnectionRecord& record = records[i];
    std::memset(&record, 0, sizeof record);
    record.size = sizeof record;
    while (hangUp < recorded_.Size() && !IsOp(recorded_.Event(hangUp), "ras_hang_up") &&
           !IsOp(recorded_.Event(hangUp), "ras_enumerate") &&
           !IsOp(recorded_.Event(hangUp), "release_library")) {
      ++hangUp;
    }
    if (hangUp >= recorded_.Size() || !IsOp(recorded_.Event(hangUp), "ras_hang_up")) continue;
    const TraceEvent* event = &recorded_.Event(hangUp++);
    record.connection = static_cast<unsigned int>(Number(event, "handle"));
    std::wstring entry;
    Utf8ToWide(Text(event, "entry"), entry);
    for (std::size_t c = 0; c < entry.size() && c < kRasEntryNameCharacters; ++c) {
      record.entryName[c] = static_cast<unsigned short>(entry[c]);
    }
  }
}

unsigned int TracePlayer::EnumerateConnections(RasConnectionRecord* records,
                                               unsigned int* bufferBytes,
                                               unsigned int* connectionCount) {
  const TraceEvent* recorded = Expect("ras_enumerate");
  unsigned int result = recorded ? static_cast<unsigned int>(Number(recorded, "result")) : 1;
  unsigned int count = 0;
  if (result == kRasSuccess && records && bufferBytes && connectionCount) {
    count = static_cast<unsigned int>(Number(recorded, "count"));
    FillConnections(records, *bufferBytes / sizeof(RasConnectionRecord), count);
    *connectionCount = count;
  } else if (result == kRasSuccess) {
    result = kRasInvalidHandle;
  }
  RecordRasEnumerate(call_, now_, count, result);
  Settle(recorded);
  return result;
}

unsigned int TracePlayer::HangUpConnection(void* connection) {
  const TraceEvent* recorded = Expect("ras_hang_up");
  const unsigned int handle =
      static_cast<unsigned int>(reinterpret_cast<std::uintptr_t>(connection));
  const bool ok = Ok(recorded);
  RecordRasHangUp(call_, now_, Text(recorded, "entry"), handle, ok);
  Settle(recorded);
  return ok ? kRasSuccess : kRasNoConnection;
}

InternetHandle TracePlayer::OpenInternet(const std::wstring& agent, unsigned int accessType) {
  const TraceEvent* recorded = Expect("internet_open");
  const InternetHandle internet = Ok(recorded) ? Issue() : 0;
  RecordInternetOpen(call_, now_, agent, accessType, internet != 0);
  Settle(recorded);
  return internet;
}

int TracePlayer::SetInternetOption(InternetHandle, unsigned int option, const void* value,
                                   unsigned int size) {
  const TraceEvent* recorded = Expect("internet_set_option");
  const bool ok = Ok(recorded);
  RecordInternetSetOption(call_, now_, option, value, size, ok);
  Settle(recorded);
  return ok ? 1 : 0;
}

InternetHandle TracePlayer::OpenInternetUrl(InternetHandle, const std::wstring& url) {
  const TraceEvent* recorded = Expect("open_url");
  const InternetHandle handle = Ok(recorded) ? Issue() : 0;
  if (handle) urlHandles_.insert(handle);
  RecordOpenUrl(call_, now_, url, handle != 0);
  Settle(recorded);
  return handle;
}

int TracePlayer::ReadInternetFile(InternetHandle, char* buffer, unsigned int toRead,
                                  unsigned int& bytesRead) {
  const TraceEvent* recorded = Expect("internet_read");
  const TraceNumber count = Number(recorded, "bytes");
  // The page's bytes are not recorded, only how many there were; the
  // launcher counts them and reads none.
  bytesRead = count < 0 ? 0 : count > toRead ? toRead : static_cast<unsigned int>(count);
  if (bytesRead) std::memset(buffer, 0, bytesRead);
  const bool ok = Ok(recorded);
  RecordInternetRead(call_, now_, bytesRead, ok);
  Settle(recorded);
  return ok ? 1 : 0;
}

int TracePlayer::CloseInternetHandle(InternetHandle handle) {
  const TraceEvent* recorded = Expect("internet_close");
  RecordInternetClose(call_, now_, urlHandles_.erase(handle) != 0);
  Settle(recorded);
  return 1;
}

void TracePlayer::ShowMessage(const std::wstring& title, const std::wstring& text) {
  const TraceEvent* recorded = Expect("message");
  RecordMessage(call_, now_, title, text);
  Settle(recorded);
}

void TracePlayer::RequestQuit(int exitCode) {
  const TraceEvent* recorded = Expect("quit");
  RecordQuit(call_, now_, exitCode);
  Settle(recorded);
}
