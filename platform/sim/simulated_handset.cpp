#include "platform/sim/simulated_handset.h"

#include <algorithm>
#include <cstring>

#include "platform/sim/file_name_characters.h"
#include "platform/sim/text_encoding.h"
#include "platform/trace_operations.h"

namespace {

thread_local SimulatedHandset* activeHandset = nullptr;

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

}  // namespace

SimulatedHandset::SimulatedHandset(HandsetScenario scenario) : scenario_(std::move(scenario)) {
  Start();
}

void SimulatedHandset::Reset(const HandsetScenario& scenario) {
  scenario_ = scenario;
  now_ = 0;
  timeline_.Clear();
  ledger_.Clear();
  windows_.clear();
  nextWindow_ = 0x10000;
  files_.clear();
  connections_.clear();
  openPort_ = 0;
  moduleInput_.clear();
  moduleOutput_.clear();
  transferred_.clear();
  positionQueries_ = 0;
  registryValues_.clear();
  internetIsUrl_.clear();
  quitCode_.reset();
  messages_.clear();
  Start();
}

// What the scenario makes of a handset that has just started.
void SimulatedHandset::Start() {
  activeHandset = this;
  if (scenario_.map.running) windows_.push_back(Window{nextWindow_, 0, std::nullopt});
  unsigned int nextConnection = 0x5000;
  for (const ConnectionScenario& connection : scenario_.connections) {
    nextConnection += 0x10;
    connections_.push_back(Connection{connection.name, connection.handle.value_or(nextConnection),
                                      connection.hangUpSucceeds});
  }
}

SimulatedHandset::~SimulatedHandset() {
  if (activeHandset == this) activeHandset = nullptr;
}

std::vector<std::string> SimulatedHandset::Messages() const {
  std::vector<std::string> shown;
  for (const auto& [title, text] : messages_) shown.push_back(WideToUtf8(title + L": " + text));
  return shown;
}

std::wstring SimulatedHandset::ExecutablePath() {
  RecordExecutablePath(Operations(), now_, scenario_.executablePath);
  return scenario_.executablePath;
}

FileHandle SimulatedHandset::OpenTextFile(const std::wstring& path) {
  std::wstring folder = scenario_.executablePath;
  folder.resize(folder.rfind(L'\\') == std::wstring::npos ? 0 : folder.rfind(L'\\'));
  const bool exists = scenario_.settingsFile.has_value() && path == folder + L"\\posrelay.ini";
  RecordOpenFile(Operations(), now_, path, exists);
  if (!exists) return 0;
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

int SimulatedHandset::ReadTextLine(FileHandle file, int maxBytes, std::string& line) {
  auto found = files_.find(file);
  if (found == files_.end() || !ledger_.IsOpen(file, kFileHandle) || maxBytes <= 0 ||
      found->second.position >= found->second.text.size()) {
    RecordReadLine(Operations(), now_, false, std::string(), *this);
    return 0;
  }
  OpenFile& open = found->second;
  std::size_t end = open.text.find('\n', open.position);
  end = end == std::string::npos ? open.text.size() : end + 1;
  end = std::min(end, open.position + static_cast<std::size_t>(maxBytes));
  line.assign(open.text, open.position, end - open.position);
  open.position = end;
  RecordReadLine(Operations(), now_, true, line, *this);
  return 1;
}

void SimulatedHandset::CloseTextFile(FileHandle file) {
  RecordCloseFile(Operations(), now_);
  if (ledger_.Release(file, kFileHandle)) files_.erase(file);
}

std::wstring SimulatedHandset::AnsiToWide(const std::string& bytes) { return Cp932ToWide(bytes); }

std::string SimulatedHandset::WideToAnsi(const std::wstring& text) { return WideToCp932(text); }

DeviceHandle SimulatedHandset::OpenDevice(const std::wstring& name) {
  // Not shared: a second open of the port fails while the first holds it.
  const bool inUse = openPort_ && ledger_.IsOpen(openPort_, kDeviceHandle);
  const bool ok = scenario_.module.portExists && name == scenario_.module.port && !inUse;
  RecordOpenDevice(Operations(), now_, name, ok);
  if (!ok) return 0;
  moduleInput_.clear();
  moduleOutput_.clear();
  openPort_ = ledger_.Issue(kDeviceHandle);
  return openPort_;
}

const std::string& SimulatedHandset::ModuleReplyTo(std::string_view command) {
  if (command == "ATI4") return scenario_.module.identification;
  if (command == "AT@LBC?") {
    const std::size_t query = positionQueries_++;
    const std::vector<std::string>& replies = scenario_.module.positionReplies;
    if (!replies.empty()) return replies[std::min(query, replies.size() - 1)];
  }
  return kModuleOk;
}

int SimulatedHandset::WriteDevice(DeviceHandle device, const char* bytes, int count) {
  const bool ok = ledger_.IsOpen(device, kDeviceHandle) && count >= 0;
  if (ok) {
    transferred_.assign(bytes, static_cast<std::size_t>(count));
  } else {
    transferred_.clear();
  }
  RecordWrite(Operations(), now_, transferred_, ok ? count : 0, *this);
  if (!ok) return 0;
  // The module answers each command when its carriage return arrives; the
  // start of a command written before waits in moduleInput_.
  std::string_view rest(transferred_);
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

int SimulatedHandset::ReadDevice(DeviceHandle device, char* buffer, int capacity) {
  if (!ledger_.IsOpen(device, kDeviceHandle) || capacity <= 0) {
    transferred_.clear();
    RecordRead(Operations(), now_, transferred_, 0, *this);
    return 0;
  }
  const std::size_t count = std::min(moduleOutput_.size(), static_cast<std::size_t>(capacity));
  std::memcpy(buffer, moduleOutput_.data(), count);
  // Usually everything the module said is read at once.
  if (count == moduleOutput_.size()) {
    RecordRead(Operations(), now_, moduleOutput_, static_cast<int>(count), *this);
    moduleOutput_.clear();
  } else {
    transferred_.assign(moduleOutput_, 0, count);
    RecordRead(Operations(), now_, transferred_, static_cast<int>(count), *this);
    moduleOutput_.erase(0, count);
  }
  return static_cast<int>(count);
}

void SimulatedHandset::CloseDevice(DeviceHandle device) {
  RecordCloseDevice(Operations(), now_);
  ledger_.Release(device, kDeviceHandle);
}

void SimulatedHandset::SleepFor(unsigned int milliseconds) {
  RecordSleep(Operations(), now_, milliseconds);
  now_ += milliseconds;
}

SimulatedHandset::Window* SimulatedHandset::PresentMapWindow() {
  for (Window& window : windows_) {
    if (window.appearsAt <= now_ && (!window.vanishesAt || now_ < *window.vanishesAt)) {
      return &window;
    }
  }
  return nullptr;
}

WindowHandle SimulatedHandset::FindTopWindow(const std::wstring& className) {
  const Window* window = className == kSimulatedMapClass ? PresentMapWindow() : nullptr;
  RecordFindWindow(Operations(), now_, className, window ? window->handle : 0);
  return window ? window->handle : 0;
}

void SimulatedHandset::SetForeground(WindowHandle window) {
  RecordForeground(Operations(), now_, window);
}

int SimulatedHandset::PostWindowMessage(WindowHandle window, unsigned int message,
                                        std::size_t wParam, std::ptrdiff_t lParam) {
  Window* target = PresentMapWindow();
  if (target && target->handle != window) target = nullptr;
  RecordPostMessage(Operations(), now_, window, message, wParam, lParam, target != nullptr);
  if (!target) return 0;
  if (message == kCloseMessage && scenario_.map.closesAfterMs && !target->vanishesAt) {
    target->vanishesAt = now_ + *scenario_.map.closesAfterMs;
  }
  return 1;
}

int SimulatedHandset::StartProcess(const std::wstring& executable,
                                   const std::wstring& commandLine) {
  // The system starts nothing from a path that no file can have.
  const bool ok =
      scenario_.map.executableExists && FindCharacterNoNameHolds(executable) == std::wstring::npos;
  RecordCreateProcess(Operations(), now_, executable, commandLine, ok);
  if (!ok) return 0;
  // A second start of a running map shows no second window.
  if (scenario_.map.appearsAfterMs && !PresentMapWindow()) {
    nextWindow_ += 0x100;
    windows_.push_back(Window{nextWindow_, now_ + *scenario_.map.appearsAfterMs, std::nullopt});
  }
  return 1;
}

void SimulatedHandset::SendKeyEvent(unsigned char virtualKey, bool keyUp) {
  RecordKey(Operations(), now_, virtualKey, keyUp);
}

void SimulatedHandset::PreKeyCall() { RecordPreKey(Operations(), now_); }

void SimulatedHandset::PostKeyCall() { RecordPostKey(Operations(), now_); }

RegistryKey SimulatedHandset::OpenCurrentUserKey(const std::wstring& path) {
  const bool ok = scenario_.registryKeyExists && path == kSimulatedStatusKey;
  RecordRegistryOpen(Operations(), now_, path, ok);
  return ok ? ledger_.Issue(kRegistryHandle) : 0;
}

int SimulatedHandset::SetDwordValue(RegistryKey key, const std::wstring& name, unsigned int value) {
  const bool ok = ledger_.IsOpen(key, kRegistryHandle);
  RecordRegistrySet(Operations(), now_, name, value, ok);
  if (ok) registryValues_[name] = value;
  return ok ? 1 : 0;
}

void SimulatedHandset::CloseRegistryKey(RegistryKey key) {
  RecordRegistryClose(Operations(), now_);
  ledger_.Release(key, kRegistryHandle);
}

LibraryHandle SimulatedHandset::OpenLibrary(const std::wstring& name) {
  const bool ok = scenario_.rasLibrary && name == L"coredll.dll";
  RecordLoadLibrary(Operations(), now_, name, ok);
  return ok ? ledger_.Issue(kLibraryHandle) : 0;
}

LibraryFunction SimulatedHandset::FindFunction(LibraryHandle library, const std::wstring& name) {
  LibraryFunction function = nullptr;
  if (ledger_.IsOpen(library, kLibraryHandle) && !scenario_.missingFunctions.count(name)) {
    if (name == L"RasEnumConnections") {
      function = reinterpret_cast<LibraryFunction>(&SimulatedRasEnumConnections);
    } else if (name == L"RasHangUp") {
      function = reinterpret_cast<LibraryFunction>(&SimulatedRasHangUp);
    }
  }
  RecordFindFunction(Operations(), now_, name, function != nullptr);
  return function;
}

void SimulatedHandset::ReleaseLibrary(LibraryHandle library) {
  RecordReleaseLibrary(Operations(), now_);
  ledger_.Release(library, kLibraryHandle);
}

unsigned int SimulatedHandset::EnumerateConnections(RasConnectionRecord* records,
                                                    unsigned int* bufferBytes,
                                                    unsigned int* connectionCount) {
  unsigned int result = kRasSuccess;
  const unsigned int needed =
      static_cast<unsigned int>(connections_.size() * sizeof(RasConnectionRecord));
  if (!records || !bufferBytes || !connectionCount ||
      records[0].size != sizeof(RasConnectionRecord)) {
    result = kRasInvalidSize;
  } else if (*bufferBytes < needed) {
    *bufferBytes = needed;
    result = kRasBufferTooSmall;
  } else {
    for (std::size_t i = 0; i < connections_.size(); ++i) {
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
    *connectionCount = static_cast<unsigned int>(connections_.size());
  }
  RecordRasEnumerate(Operations(), now_,
                     result == kRasSuccess ? static_cast<unsigned int>(connections_.size()) : 0,
                     result);
  return result;
}

unsigned int SimulatedHandset::HangUpConnection(void* connection) {
  const unsigned int handle =
      static_cast<unsigned int>(reinterpret_cast<std::uintptr_t>(connection));
  auto found = std::find_if(connections_.begin(), connections_.end(),
                            [&](const Connection& c) { return c.handle == handle && handle; });
  const bool ok = found != connections_.end() && found->hangUpSucceeds;
  RecordRasHangUp(Operations(), now_, found != connections_.end() ? found->name : "", handle, ok);
  if (!ok) return kRasNoConnection;
  connections_.erase(found);
  return kRasSuccess;
}

InternetHandle SimulatedHandset::OpenInternet(const std::wstring& agent, unsigned int accessType) {
  const bool ok = scenario_.internet.opens;
  RecordInternetOpen(Operations(), now_, agent, accessType, ok);
  if (!ok) return 0;
  const InternetHandle handle = ledger_.Issue(kInternetHandle);
  internetIsUrl_[handle] = false;
  return handle;
}

int SimulatedHandset::SetInternetOption(InternetHandle handle, unsigned int option,
                                        const void* value, unsigned int size) {
  const bool ok = ledger_.IsOpen(handle, kInternetHandle);
  RecordInternetSetOption(Operations(), now_, option, value, size, ok);
  return ok ? 1 : 0;
}

InternetHandle SimulatedHandset::OpenInternetUrl(InternetHandle internet, const std::wstring& url) {
  const bool ok = ledger_.IsOpen(internet, kInternetHandle) && !internetIsUrl_[internet] &&
                  scenario_.internet.reachable;
  RecordOpenUrl(Operations(), now_, url, ok);
  if (!ok) return 0;
  const InternetHandle handle = ledger_.Issue(kInternetHandle);
  internetIsUrl_[handle] = true;
  return handle;
}

int SimulatedHandset::ReadInternetFile(InternetHandle url, char* buffer, unsigned int toRead,
                                       unsigned int& bytesRead) {
  bytesRead = 0;
  const bool ok = ledger_.IsOpen(url, kInternetHandle) && internetIsUrl_[url];
  if (ok) {
    const unsigned int available = static_cast<unsigned int>(
        std::clamp(scenario_.internet.bytes, 0, static_cast<int>(sizeof kProbePage - 1)));
    bytesRead = std::min(toRead, available);
    std::memcpy(buffer, kProbePage, bytesRead);
  }
  RecordInternetRead(Operations(), now_, bytesRead, ok);
  return ok ? 1 : 0;
}

int SimulatedHandset::CloseInternetHandle(InternetHandle handle) {
  RecordInternetClose(Operations(), now_, internetIsUrl_[handle]);
  return ledger_.Release(handle, kInternetHandle) ? 1 : 0;
}

void SimulatedHandset::ShowMessage(const std::wstring& title, const std::wstring& text) {
  RecordMessage(Operations(), now_, title, text);
  messages_.emplace_back(title, text);
}

void SimulatedHandset::RequestQuit(int exitCode) {
  RecordQuit(Operations(), now_, exitCode);
  quitCode_ = exitCode;
}
