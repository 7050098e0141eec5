#include "replay/trace_player.h"

#include <cstring>

#include "app/launch_sequence.h"
#include "platform/system_errors.h"
#include "replay/hex_decoding.h"
#include "simulator/text_encoding.h"
#include "trace/trace_operations.h"

namespace {

thread_local TracePlayer* activePlayer = nullptr;

unsigned int POSRELAY_WINAPI PlayedRasEnumConnections(RasConnectionRecord* records,
                                                      unsigned int* bufferBytes,
                                                      unsigned int* connectionCount) {
  return activePlayer ? activePlayer->EnumerateConnections(records, bufferBytes, connectionCount)
                      : kErrorInvalidHandle;
}

unsigned int POSRELAY_WINAPI PlayedRasHangUp(void* connection) {
  return activePlayer ? activePlayer->HangUpConnection(connection) : kErrorInvalidHandle;
}

// Whether two end lines say the same: the outcome and the position, to the
// last bit.
bool SameEnd(const TraceRecord& a, const TraceEvent& x, const TraceRecord& b, const TraceEvent& y) {
  if (x.fieldCount != y.fieldCount) return false;
  for (std::size_t i = 0; i < x.fieldCount; ++i) {
    if (!SameTraceField(a, a.Field(x, i), b, b.Field(y, i))) return false;
  }
  return true;
}

// Whether the launcher passed what a trace of `version` says it passed.
// Results are the trace's own, a build setting belongs to the build that
// recorded it, and what an older trace did not record, or recorded in a form
// the recorder no longer writes, cannot be compared.
bool SameArguments(const TraceRecord& a, const TraceEvent& x, const TraceRecord& b,
                   const TraceEvent& y, int version) {
  if (x.op != y.op) return false;
  const TraceOperationShape* shape = &TraceOperationOf(x.op);
  for (unsigned int i = 0; i < shape->fieldCount; ++i) {
    if (shape->fields[i].role != kTraceArgument) continue;
    if (!TraceFieldInVersion(shape->fields[i], version) ||
        !TraceFieldInVersion(shape->fields[i], kTraceFormatVersion)) {
      continue;
    }
    const TraceField* one = a.FindField(x, shape->fields[i].name);
    const TraceField* other = b.FindField(y, shape->fields[i].name);
    if (!one || !other ? one != other : !SameTraceField(a, *one, b, *other)) return false;
  }
  return true;
}

// The launcher's own part of a call: what it passed, not what it was
// answered.
void CopyArguments(const TraceRecord& from, const TraceEvent& event, TraceRecord& to) {
  const TraceOperationShape* shape = &TraceOperationOf(event.op);
  to.Begin(event.timeMs, event.op);
  for (unsigned int i = 0; i < shape->fieldCount; ++i) {
    const TraceField* field = from.FindField(event, shape->fields[i].name);
    if (!field || shape->fields[i].role == kTraceResult) continue;
    if (field->kind == kTraceText) {
      to.AddText(field->name, from.TextData(*field), field->textLength);
    } else if (field->kind == kTraceBoolean) {
      to.AddBoolean(field->name, field->value.number != 0);
    } else if (field->kind == kTraceReal) {
      to.AddReal(field->name, field->value.real);
    } else {
      to.AddNumber(field->name, field->value.number);
    }
  }
}

}  // namespace

std::string RecordedBytes(const TraceRecord& record, const TraceEvent& event) {
  const TraceField* hex = record.FindField(event, kFieldHex);
  if (hex) {
    std::string bytes;
    DecodeHexText(record.TextData(*hex), hex->textLength, bytes);
    return bytes;
  }
  const TraceField* text = record.FindField(event, kFieldText);
  if (!text) return std::string();
  std::wstring wide;
  Utf8ToWide(record.Text(*text), wide);
  return WideToCp932(wide);
}

TracePlayer::TracePlayer(const TraceRecord& recorded, const TraceRecord& end, bool cut, int version)
    : recorded_(recorded), end_(end), cut_(cut), version_(version) {
  activePlayer = this;
  replayed_.Reserve(recorded.Size(), 2 * recorded.Size(), 16 * recorded.Size());
}

TracePlayer::~TracePlayer() {
  if (activePlayer == this) activePlayer = nullptr;
}

const TraceEvent* TracePlayer::Answer(TraceOp op) {
  answer_ = nullptr;
  if (stopped_ || next_ >= recorded_.Size()) return nullptr;
  const TraceEvent& recorded = recorded_.Event(next_);
  if (recorded.op == op) answer_ = &recorded;
  return answer_;
}

void TracePlayer::Take(const TraceRecord& record, const TraceEvent& event) {
  if (stopped_) return;
  if (event.op == kOpEnd) {
    // The launcher ended its run while the trace went on.
    if (next_ < recorded_.Size()) {
      stopped_ = true;
      diverged_ = true;
      return;
    }
    // A trace cut or interrupted has no end to compare with.
    if (end_.Size() == 0) return;
    if (!SameEnd(end_, end_.Event(0), record, event)) {
      Diverge(record, event);
      return;
    }
    endMatched_ = true;
    return;
  }
  if (next_ >= recorded_.Size() && cut_) {
    stopped_ = true;
    return;
  }
  if (next_ >= recorded_.Size() ||
      !SameArguments(recorded_, recorded_.Event(next_), record, event, version_)) {
    Diverge(record, event);
    return;
  }
  replayed_.Copy(record, event);
  ++next_;
}

void TracePlayer::Diverge(const TraceRecord& record, const TraceEvent& event) {
  if (event.op == kOpEnd) {
    divergentCall_.Copy(record, event);
  } else {
    CopyArguments(record, event, divergentCall_);
  }
  stopped_ = true;
  diverged_ = true;
}

void TracePlayer::PlayLaunchSequence() { RecordRun(RunLaunchSequence, *this, *this, *this); }

void TracePlayer::PlayLaunchSequence(TraceRecorder& recorder) {
  RecordRun(RunLaunchSequence, recorder);
}

TraceNumber TracePlayer::Number(const char* name) const {
  const TraceField* field = answer_ ? recorded_.FindField(*answer_, name) : nullptr;
  return field ? field->value.number : 0;
}

std::string TracePlayer::Text(const char* name) const {
  const TraceField* field = answer_ ? recorded_.FindField(*answer_, name) : nullptr;
  return field ? recorded_.Text(*field) : std::string();
}

std::size_t TracePlayer::Handle() {
  if (!Ok()) return 0;
  if (recorded_.FindField(*answer_, kFieldHandle))
    return static_cast<std::size_t>(Number(kFieldHandle));
  return ++nextHandle_;
}

unsigned int TracePlayer::LastError() { return static_cast<unsigned int>(Number(kFieldError)); }

std::wstring TracePlayer::ExecutablePath() {
  Answer(kOpExecutablePath);
  std::wstring path;
  Utf8ToWide(Text(kFieldPath), path);
  return path;
}

FileHandle TracePlayer::OpenTextFile(const std::wstring&) {
  Answer(kOpOpenFile);
  return Handle();
}

int TracePlayer::ReadTextLine(FileHandle, int maxBytes, std::string& line) {
  if (!Answer(kOpReadLine) || !Ok()) return 0;
  line = RecordedBytes(recorded_, *answer_);
  // As any platform: no more than was asked for.
  const std::size_t most = static_cast<std::size_t>(maxBytes < 0 ? 0 : maxBytes);
  if (line.size() > most) line.resize(most);
  return 1;
}

void TracePlayer::CloseTextFile(FileHandle) { Answer(kOpCloseFile); }

std::wstring TracePlayer::AnsiToWide(const std::string& bytes) { return Cp932ToWide(bytes); }

std::string TracePlayer::WideToAnsi(const std::wstring& text) { return WideToCp932(text); }

DeviceHandle TracePlayer::OpenDevice(const std::wstring&) {
  Answer(kOpOpenDevice);
  return Handle();
}

int TracePlayer::WriteDevice(DeviceHandle, const char*, int) {
  Answer(kOpWrite);
  return static_cast<int>(Number(kFieldCount));
}

int TracePlayer::ReadDevice(DeviceHandle, char* buffer, int capacity) {
  if (!Answer(kOpRead)) return 0;
  std::string received = RecordedBytes(recorded_, *answer_);
  const std::size_t room = static_cast<std::size_t>(capacity < 0 ? 0 : capacity);
  if (received.size() > room) received.resize(room);
  if (!received.empty()) std::memcpy(buffer, received.data(), received.size());
  TraceNumber count = Number(kFieldCount);
  if (count > static_cast<TraceNumber>(room)) count = static_cast<TraceNumber>(room);
  return static_cast<int>(count);
}

void TracePlayer::CloseDevice(DeviceHandle) { Answer(kOpCloseDevice); }

void TracePlayer::SleepFor(unsigned int milliseconds) {
  Answer(kOpSleep);
  now_ += milliseconds;
}

WindowHandle TracePlayer::FindTopWindow(const std::wstring&) {
  Answer(kOpFindWindow);
  return static_cast<WindowHandle>(Number(kFieldWindow));
}

void TracePlayer::SetForeground(WindowHandle) { Answer(kOpForeground); }

int TracePlayer::PostWindowMessage(WindowHandle, unsigned int, std::size_t, std::ptrdiff_t) {
  Answer(kOpPostMessage);
  return Ok() ? 1 : 0;
}

int TracePlayer::StartProcess(const std::wstring&, const std::wstring&) {
  Answer(kOpCreateProcess);
  return Ok() ? 1 : 0;
}

void TracePlayer::SendKeyEvent(unsigned char, bool) { Answer(kOpKey); }

void TracePlayer::PreKeyCall() { Answer(kOpPreKey); }

void TracePlayer::PostKeyCall() { Answer(kOpPostKey); }

RegistryKey TracePlayer::OpenCurrentUserKey(const std::wstring&) {
  Answer(kOpRegistryOpen);
  return Handle();
}

int TracePlayer::SetDwordValue(RegistryKey, const std::wstring&, unsigned int) {
  Answer(kOpRegistrySet);
  return Ok() ? 1 : 0;
}

void TracePlayer::CloseRegistryKey(RegistryKey) { Answer(kOpRegistryClose); }

LibraryHandle TracePlayer::OpenLibrary(const std::wstring&) {
  Answer(kOpLoadLibrary);
  return Handle();
}

LibraryFunction TracePlayer::FindFunction(LibraryHandle, const std::wstring& name) {
  Answer(kOpFindFunction);
  // Only the dial-up functions can be played back; the launcher looks up
  // no others.
  if (Ok() && name == L"RasEnumConnections") {
    return reinterpret_cast<LibraryFunction>(&PlayedRasEnumConnections);
  }
  if (Ok() && name == L"RasHangUp") return reinterpret_cast<LibraryFunction>(&PlayedRasHangUp);
  return nullptr;
}

void TracePlayer::ReleaseLibrary(LibraryHandle) { Answer(kOpReleaseLibrary); }

// The connections the listing gave: the ras_connection lines after it. A
// trace of version 1 did not list them, only the hang-ups that follow the
// listing: each of those, in order, stands for a connection with the entry
// and handle it was hung up by; the rest have no name and no handle, so that
// the launcher passes them by.
void TracePlayer::FillConnections(RasConnectionRecord* records, std::size_t capacity,
                                  std::size_t count) {
  const TraceOp source = version_ >= 2 ? kOpRasConnection : kOpRasHangUp;
  std::size_t line = next_ + 1;
  const TraceEvent* const listing = answer_;
  for (std::size_t i = 0; i < count && i < capacity; ++i) {
    RasConnectionRecord& record = records[i];
    std::memset(&record, 0, sizeof record);
    record.size = sizeof record;
    while (version_ < 2 && line < recorded_.Size() && recorded_.Event(line).op != source &&
           recorded_.Event(line).op != kOpRasEnumerate &&
           recorded_.Event(line).op != kOpReleaseLibrary) {
      ++line;
    }
    if (line >= recorded_.Size() || recorded_.Event(line).op != source) continue;
    answer_ = &recorded_.Event(line++);
    record.connection = static_cast<unsigned int>(Number(kFieldHandle));
    std::wstring entry;
    Utf8ToWide(Text(kFieldEntry), entry);
    for (std::size_t c = 0; c < entry.size() && c < kRasEntryNameCharacters; ++c) {
      record.entryName[c] = static_cast<unsigned short>(entry[c]);
    }
  }
  answer_ = listing;
}

unsigned int TracePlayer::EnumerateConnections(RasConnectionRecord* records,
                                               unsigned int* bufferBytes,
                                               unsigned int* connectionCount) {
  if (!Answer(kOpRasEnumerate)) return kErrorInvalidHandle;
  unsigned int result = static_cast<unsigned int>(Number(kFieldResult));
  if (result == kNoError && records && bufferBytes && connectionCount) {
    const unsigned int count = static_cast<unsigned int>(Number(kFieldCount));
    FillConnections(records, *bufferBytes / sizeof(RasConnectionRecord), count);
    *connectionCount = count;
  } else if (result == kNoError) {
    result = kErrorInvalidHandle;
  }
  return result;
}

unsigned int TracePlayer::HangUpConnection(void*) {
  if (!Answer(kOpRasHangUp)) return kErrorNoConnection;
  if (Ok()) return kNoError;
  return recorded_.FindField(*answer_, kFieldError) ? static_cast<unsigned int>(Number(kFieldError))
                                                    : kErrorNoConnection;
}

InternetHandle TracePlayer::OpenInternet(const std::wstring&, unsigned int) {
  Answer(kOpInternetOpen);
  return Handle();
}

int TracePlayer::SetInternetOption(InternetHandle, unsigned int, const void*, unsigned int) {
  Answer(kOpInternetSetOption);
  return Ok() ? 1 : 0;
}

InternetHandle TracePlayer::OpenInternetUrl(InternetHandle, const std::wstring&) {
  Answer(kOpOpenUrl);
  return Handle();
}

int TracePlayer::ReadInternetFile(InternetHandle, char* buffer, unsigned int toRead,
                                  unsigned int& bytesRead) {
  Answer(kOpInternetRead);
  const TraceNumber count = Number(kFieldBytes);
  // The page's bytes are not recorded, only how many there were; the
  // launcher counts them and reads none.
  bytesRead = count < 0 ? 0 : count > toRead ? toRead : static_cast<unsigned int>(count);
  if (bytesRead) std::memset(buffer, 0, bytesRead);
  return Ok() ? 1 : 0;
}

int TracePlayer::CloseInternetHandle(InternetHandle) {
  Answer(kOpInternetClose);
  return 1;
}

void TracePlayer::ShowMessage(const std::wstring&, const std::wstring&) { Answer(kOpMessage); }

void TracePlayer::RequestQuit(int) { Answer(kOpQuit); }

bool SameTraceField(const TraceRecord& a, const TraceField& x, const TraceRecord& b,
                    const TraceField& y) {
  if (std::strcmp(x.name, y.name) != 0 || x.kind != y.kind) return false;
  switch (x.kind) {
    case kTraceText:
      return x.textLength == y.textLength &&
             std::memcmp(a.TextData(x), b.TextData(y), x.textLength) == 0;
    case kTraceReal:
      return x.value.real == y.value.real;
    default:
      return x.value.number == y.value.number;
  }
}
