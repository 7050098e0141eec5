#include "simulator/handset_model.h"

#include <algorithm>
#include <cstring>

#include "platform/system_errors.h"
#include "simulator/file_name_characters.h"
#include "simulator/text_encoding.h"

namespace {

thread_local HandsetModel* activeHandset = nullptr;

const unsigned int kCloseMessage = 16;  // WM_CLOSE

unsigned int POSRELAY_WINAPI SimulatedRasEnumConnections(RasConnectionRecord* records,
                                                         unsigned int* bufferBytes,
                                                         unsigned int* connectionCount) {
  return activeHandset->EnumerateConnections(records, bufferBytes, connectionCount);
}

unsigned int POSRELAY_WINAPI SimulatedRasHangUp(void* connection) {
  return activeHandset->HangUpConnection(connection);
}

const char kProbePage[] = "<!doctype html><html><head><title>Probe</title></head></html>\n";
const std::string kModuleOk = "\r\nOK\r\n";

// Windows CE keeps no current folder: its file system takes a path that does
// not start with a backslash from the root. The handset's module path always
// starts with one; a scenario's executable without one lies in the root, and
// the launcher's posrelay.ini beside it, "posrelay.exe\posrelay.ini", names a
// file inside the executable, which is no folder, so nothing opens.
std::wstring FromRoot(const std::wstring& path) {
  return !path.empty() && path[0] == L'\\' ? path : L"\\" + path;
}

}  // namespace

HandsetModel::HandsetModel(HandsetScenario scenario) : scenario_(std::move(scenario)) { Start(); }

void HandsetModel::Reset(const HandsetScenario& scenario) {
  scenario_ = scenario;
  now_ = 0;
  ledger_.Clear();
  windows_.clear();
  nextWindow_ = 0x10000;
  files_.clear();
  connections_.clear();
  openPort_ = 0;
  moduleInput_.clear();
  moduleOutput_.clear();
  positionQueries_ = 0;
  lastError_ = 0;
  reads_ = writes_ = conversions_ = listings_ = pageReads_ = looks_ = starts_ = 0;
  registryValues_.clear();
  internetIsUrl_.clear();
  quitCode_.reset();
  messages_.clear();
  Start();
}

// What the scenario makes of a handset that has just started.
void HandsetModel::Start() {
  activeHandset = this;
  if (scenario_.map.running) windows_.push_back(Window{nextWindow_, 0, std::nullopt});
  unsigned int nextConnection = 0x5000;
  for (const ConnectionScenario& connection : scenario_.connections) {
    nextConnection += 0x10;
    connections_.push_back(Connection{connection.name, connection.handle.value_or(nextConnection),
                                      connection.hangUpSucceeds});
  }
}

HandsetModel::~HandsetModel() {
  if (activeHandset == this) activeHandset = nullptr;
}

const FaultScenario* HandsetModel::FaultOn(FaultKind kind, std::uint64_t call) const {
  for (const FaultScenario& fault : scenario_.faults) {
    if (fault.kind == kind && (!fault.call || *fault.call == call)) return &fault;
  }
  return nullptr;
}

int HandsetModel::Fail(unsigned int error) {
  lastError_ = error;
  return 0;
}

unsigned int HandsetModel::LastError() { return lastError_; }

std::vector<std::string> HandsetModel::Messages() const {
  std::vector<std::string> shown;
  for (const auto& [title, text] : messages_) shown.push_back(WideToUtf8(title + L": " + text));
  return shown;
}

std::wstring HandsetModel::ExecutablePath() { return scenario_.executablePath; }

FileHandle HandsetModel::OpenTextFile(const std::wstring& path) {
  // The file system's own place for posrelay.ini, not the launcher's rule for it.
  std::wstring settings = FromRoot(scenario_.executablePath);
  settings.resize(settings.rfind(L'\\'));
  settings += L"\\posrelay.ini";
  const bool exists = scenario_.settingsFile.has_value() && FromRoot(path) == settings;
  if (!exists) return Fail(kErrorFileNotFound);
  // Text mode: each carriage return and line feed pair reads as a line feed.
  std::string text;
  const std::string& bytes = *scenario_.settingsFile;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    if (!(bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n')) text += bytes[i];
  }
  const FileHandle file = ledger_.Issue(kFileHandle);
  files_[file] = OpenFile{std::move(text), 0};
  return file;
}

int HandsetModel::ReadTextLine(FileHandle file, int maxBytes, std::string& line) {
  auto found = files_.find(file);
  if (found == files_.end() || !ledger_.IsOpen(file, kFileHandle) || maxBytes <= 0 ||
      found->second.position >= found->second.text.size()) {
    return 0;
  }
  OpenFile& open = found->second;
  std::size_t end = open.text.find('\n', open.position);
  end = end == std::string::npos ? open.text.size() : end + 1;
  end = std::min(end, open.position + static_cast<std::size_t>(maxBytes));
  line.assign(open.text, open.position, end - open.position);
  open.position = end;
  return 1;
}

void HandsetModel::CloseTextFile(FileHandle file) {
  if (ledger_.Release(file, kFileHandle)) files_.erase(file);
}

std::wstring HandsetModel::AnsiToWide(const std::string& bytes) {
  std::wstring text = Cp932ToWide(bytes);
  const FaultScenario* overlong = FaultOn(kTextConversionOverlong, ++conversions_);
  if (overlong) text.append(static_cast<std::size_t>(overlong->value.value_or(1)), L'?');
  return text;
}

std::string HandsetModel::WideToAnsi(const std::wstring& text) { return WideToCp932(text); }

DeviceHandle HandsetModel::OpenDevice(const std::wstring& name) {
  // Not shared: a second open of the port fails while the first holds it.
  const bool inUse = openPort_ && ledger_.IsOpen(openPort_, kDeviceHandle);
  const bool ok = scenario_.module.portExists && name == scenario_.module.port && !inUse;
  if (!ok) return Fail(inUse ? kErrorSharingViolation : kErrorFileNotFound);
  moduleInput_.clear();
  moduleOutput_.clear();
  openPort_ = ledger_.Issue(kDeviceHandle);
  return openPort_;
}

const std::string& HandsetModel::ModuleReplyTo(std::string_view command) {
  if (command == "ATI4") return scenario_.module.identification;
  if (command == "AT@LBC?") {
    const std::size_t query = positionQueries_++;
    const std::vector<std::string>& replies = scenario_.module.positionReplies;
    if (!replies.empty()) return replies[std::min(query, replies.size() - 1)];
  }
  return kModuleOk;
}

int HandsetModel::WriteDevice(DeviceHandle device, const char* bytes, int count) {
  if (!ledger_.IsOpen(device, kDeviceHandle) || count < 0) return Fail(kErrorInvalidHandle);
  ++writes_;
  if (FaultOn(kSerialWriteFails, writes_)) {
    Fail(kErrorInvalidHandle);
    return -1;
  }
  if (const FaultScenario* cut = FaultOn(kSerialWriteShort, writes_)) {
    count = static_cast<int>(std::clamp<std::int64_t>(cut->value.value_or(count - 1), 0, count));
  }
  // The module answers each command when its carriage return arrives; the
  // start of a command written before waits in moduleInput_.
  std::string_view rest(bytes, static_cast<std::size_t>(count));
  for (std::size_t end; (end = rest.find('\r')) != std::string_view::npos;) {
    std::string_view command = rest.substr(0, end);
    if (!moduleInput_.empty()) command = moduleInput_.append(command);
    moduleOutput_ += ModuleReplyTo(command);
    moduleInput_.clear();
    rest.remove_prefix(end + 1);
  }
  moduleInput_.append(rest);
  return count;
}

int HandsetModel::ReadDevice(DeviceHandle device, char* buffer, int capacity) {
  if (!ledger_.IsOpen(device, kDeviceHandle) || capacity <= 0) return Fail(kErrorInvalidHandle);
  ++reads_;
  if (FaultOn(kSerialReadFails, reads_)) {
    Fail(kErrorInvalidHandle);
    return -1;
  }
  if (FaultOn(kSerialReadNothing, reads_)) return 0;
  const std::size_t count = std::min(moduleOutput_.size(), static_cast<std::size_t>(capacity));
  std::memcpy(buffer, moduleOutput_.data(), count);
  moduleOutput_.erase(0, count);
  const FaultScenario* zero = FaultOn(kSerialReadZeroByte, reads_);
  if (zero && static_cast<std::size_t>(zero->value.value_or(0)) < count) {
    buffer[zero->value.value_or(0)] = '\0';
  }
  const FaultScenario* over = FaultOn(kSerialReadOverstates, reads_);
  return static_cast<int>(count) + (over ? static_cast<int>(over->value.value_or(1)) : 0);
}

void HandsetModel::CloseDevice(DeviceHandle device) { ledger_.Release(device, kDeviceHandle); }

void HandsetModel::SleepFor(unsigned int milliseconds) { now_ += milliseconds; }

HandsetModel::Window* HandsetModel::PresentMapWindow() {
  for (Window& window : windows_) {
    if (window.appearsAt <= now_ && (!window.vanishesAt || now_ < *window.vanishesAt)) {
      return &window;
    }
  }
  return nullptr;
}

WindowHandle HandsetModel::FindTopWindow(const std::wstring& className) {
  Window* window = className == kSimulatedMapClass ? PresentMapWindow() : nullptr;
  if (!window) return 0;
  // Found now, gone at the next look: the map has ended by itself meanwhile.
  if (FaultOn(kMapWindowVanishes, ++looks_)) window->vanishesAt = now_;
  return window->handle;
}

void HandsetModel::SetForeground(WindowHandle) {}

int HandsetModel::PostWindowMessage(WindowHandle window, unsigned int message, std::size_t,
                                    std::ptrdiff_t) {
  Window* target = PresentMapWindow();
  if (target && target->handle != window) target = nullptr;
  if (!target) return 0;
  if (message == kCloseMessage && scenario_.map.closesAfterMs && !target->vanishesAt) {
    target->vanishesAt = now_ + *scenario_.map.closesAfterMs;
  }
  return 1;
}

int HandsetModel::StartProcess(const std::wstring& executable, const std::wstring&) {
  // The system starts nothing from a path that no file can have.
  if (FindCharacterNoNameHolds(executable) != std::wstring::npos) return Fail(kErrorInvalidName);
  if (!scenario_.map.executableExists) return Fail(kErrorFileNotFound);
  const std::optional<std::wstring>& installedAt = scenario_.map.installedAt;
  if (installedAt && !NameSameFile(executable, *installedAt)) return Fail(kErrorFileNotFound);
  if (FaultOn(kProcessWithoutHandle, ++starts_)) return 1;
  // A second start of a running map shows no second window.
  if (scenario_.map.appearsAfterMs && !PresentMapWindow()) {
    nextWindow_ += 0x100;
    windows_.push_back(Window{nextWindow_, now_ + *scenario_.map.appearsAfterMs, std::nullopt});
  }
  return 1;
}

void HandsetModel::SendKeyEvent(unsigned char, bool) {}

void HandsetModel::PreKeyCall() {}

void HandsetModel::PostKeyCall() {}

RegistryKey HandsetModel::OpenCurrentUserKey(const std::wstring& path) {
  const bool ok = scenario_.registryKeyExists && path == kSimulatedStatusKey;
  return ok ? ledger_.Issue(kRegistryHandle) : Fail(kErrorFileNotFound);
}

int HandsetModel::SetDwordValue(RegistryKey key, const std::wstring& name, unsigned int value) {
  const bool ok = ledger_.IsOpen(key, kRegistryHandle);
  if (ok) registryValues_[name] = value;
  return ok ? 1 : 0;
}

void HandsetModel::CloseRegistryKey(RegistryKey key) { ledger_.Release(key, kRegistryHandle); }

LibraryHandle HandsetModel::OpenLibrary(const std::wstring& name) {
  const bool ok = scenario_.rasLibrary && name == L"coredll.dll";
  return ok ? ledger_.Issue(kLibraryHandle) : Fail(kErrorModNotFound);
}

LibraryFunction HandsetModel::FindFunction(LibraryHandle library, const std::wstring& name) {
  LibraryFunction function = nullptr;
  if (ledger_.IsOpen(library, kLibraryHandle) && !scenario_.missingFunctions.count(name)) {
    if (name == L"RasEnumConnections") {
      function = reinterpret_cast<LibraryFunction>(&SimulatedRasEnumConnections);
    } else if (name == L"RasHangUp") {
      function = reinterpret_cast<LibraryFunction>(&SimulatedRasHangUp);
    }
  }
  return function;
}

void HandsetModel::ReleaseLibrary(LibraryHandle library) {
  ledger_.Release(library, kLibraryHandle);
}

unsigned int HandsetModel::EnumerateConnections(RasConnectionRecord* records,
                                                unsigned int* bufferBytes,
                                                unsigned int* connectionCount) {
  if (!records || !bufferBytes || !connectionCount ||
      records[0].size != sizeof(RasConnectionRecord)) {
    return kErrorInvalidSize;
  }
  ++listings_;
  const FaultScenario* fails = FaultOn(kConnectionListFails, listings_);
  const FaultScenario* miscounts = FaultOn(kConnectionListMiscounts, listings_);
  const std::size_t room = *bufferBytes / sizeof(RasConnectionRecord);
  if (connections_.size() > room && !fails && !miscounts) {
    *bufferBytes = static_cast<unsigned int>(connections_.size() * sizeof(RasConnectionRecord));
    return kErrorBufferTooSmall;
  }
  // A faulty listing fills what fits, never past the room it was given.
  const std::size_t filled = std::min(connections_.size(), room);
  for (std::size_t i = 0; i < filled; ++i) {
    RasConnectionRecord& record = records[i];
    std::memset(&record, 0, sizeof record);
    record.size = sizeof(RasConnectionRecord);
    record.connection = connections_[i].handle;
    std::wstring name;
    Utf8ToWide(connections_[i].name, name);
    for (std::size_t c = 0; c < name.size() && c < kRasEntryNameCharacters; ++c) {
      record.entryName[c] = static_cast<unsigned short>(name[c]);
    }
  }
  *connectionCount = static_cast<unsigned int>(filled);
  if (fails) {
    *connectionCount = static_cast<unsigned int>(fails->value.value_or(connections_.size()));
    return kErrorBufferTooSmall;
  }
  if (miscounts) *connectionCount = static_cast<unsigned int>(miscounts->value.value_or(filled));
  return kNoError;
}

unsigned int HandsetModel::HangUpConnection(void* connection) {
  const unsigned int handle =
      static_cast<unsigned int>(reinterpret_cast<std::uintptr_t>(connection));
  auto found = std::find_if(connections_.begin(), connections_.end(),
                            [&](const Connection& c) { return c.handle == handle && handle; });
  const bool ok = found != connections_.end() && found->hangUpSucceeds;
  if (!ok) return kErrorNoConnection;
  connections_.erase(found);
  return kNoError;
}

InternetHandle HandsetModel::OpenInternet(const std::wstring&, unsigned int) {
  if (!scenario_.internet.opens) return Fail(kErrorInternetInternal);
  const InternetHandle handle = ledger_.Issue(kInternetHandle);
  internetIsUrl_[handle] = false;
  return handle;
}

int HandsetModel::SetInternetOption(InternetHandle handle, unsigned int, const void*,
                                    unsigned int) {
  return ledger_.IsOpen(handle, kInternetHandle) ? 1 : 0;
}

InternetHandle HandsetModel::OpenInternetUrl(InternetHandle internet, const std::wstring&) {
  if (!ledger_.IsOpen(internet, kInternetHandle) || internetIsUrl_[internet]) {
    return Fail(kErrorInvalidHandle);
  }
  if (!scenario_.internet.reachable) return Fail(kErrorInternetCannotConnect);
  const InternetHandle handle = ledger_.Issue(kInternetHandle);
  internetIsUrl_[handle] = true;
  return handle;
}

int HandsetModel::ReadInternetFile(InternetHandle url, char* buffer, unsigned int toRead,
                                   unsigned int& bytesRead) {
  if (FaultOn(kProbeReadFails, ++pageReads_)) return Fail(kErrorInternetInternal);
  bytesRead = 0;
  const bool ok = ledger_.IsOpen(url, kInternetHandle) && internetIsUrl_[url];
  if (ok) {
    const unsigned int available = static_cast<unsigned int>(
        std::clamp(scenario_.internet.bytes, 0, static_cast<int>(sizeof kProbePage - 1)));
    bytesRead = std::min(toRead, available);
    std::memcpy(buffer, kProbePage, bytesRead);
    const FaultScenario* over = FaultOn(kProbeReadOverstates, pageReads_);
    if (over) bytesRead = toRead + static_cast<unsigned int>(over->value.value_or(1));
  }
  return ok ? 1 : 0;
}

int HandsetModel::CloseInternetHandle(InternetHandle handle) {
  return ledger_.Release(handle, kInternetHandle) ? 1 : 0;
}

void HandsetModel::ShowMessage(const std::wstring& title, const std::wstring& text) {
  messages_.emplace_back(title, text);
}

void HandsetModel::RequestQuit(int exitCode) { quitCode_ = exitCode; }
