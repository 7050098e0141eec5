#include "platform/win32/win32_platform.h"

// The handset shows its messages with the framework's message box, and the
// framework's header must come before the system's.
#ifdef UNDER_CE
#include <afxwin.h>
#else
#include <windows.h>
#endif
#include <raserror.h>
#include <wininet.h>

#include <stdio.h>
#include <string.h>
#include <vector>

#include "platform/system_errors.h"

namespace {

// The codes the launcher, its trace and the simulated handset name are the
// system's own.
typedef char SystemErrorsAreTheSystems
    [kNoError == NO_ERROR && kErrorFileNotFound == ERROR_FILE_NOT_FOUND &&
             kErrorInvalidHandle == ERROR_INVALID_HANDLE &&
             kErrorSharingViolation == ERROR_SHARING_VIOLATION &&
             kErrorInvalidName == ERROR_INVALID_NAME && kErrorModNotFound == ERROR_MOD_NOT_FOUND &&
             kErrorBufferTooSmall == ERROR_BUFFER_TOO_SMALL &&
             kErrorInvalidSize == ERROR_INVALID_SIZE && kErrorNoConnection == ERROR_NO_CONNECTION &&
             kErrorInternetInternal == ERROR_INTERNET_INTERNAL_ERROR &&
             kErrorInternetCannotConnect == ERROR_INTERNET_CANNOT_CONNECT
         ? 1
         : -1];

// GetModuleFileNameW's buffer: 255 characters and a terminator.
const DWORD kExecutablePathCharacters = 256;

template <typename T>
size_t ToHandle(T pointer) {
  return reinterpret_cast<size_t>(pointer);
}

// The kind of handle comes in as an argument rather than as an explicit
// template argument: the device's compiler tells function template
// instances apart only by their parameters, and would make every call the
// same one.
template <typename T>
T FromHandle(size_t handle, T /*kind*/) {
  return reinterpret_cast<T>(handle);
}

std::vector<wchar_t> WritableText(const std::wstring& text) {
  std::vector<wchar_t> buffer(text.begin(), text.end());
  buffer.push_back(L'\0');
  return buffer;
}

#ifndef UNDER_CE
// Desktop GetProcAddress takes the export's name in bytes; export names are
// plain ASCII, so anything else cannot name one.
int NarrowExportName(const std::wstring& name, std::string& narrow) {
  narrow.clear();
  for (std::wstring::size_type i = 0; i < name.size(); ++i) {
    if (name[i] == 0 || name[i] > 0x7F) return 0;
    narrow += static_cast<char>(name[i]);
  }
  return 1;
}
#endif

int CreateProcessDiscardingHandles(const std::wstring& executable,
                                   const std::wstring& commandLine) {
  PROCESS_INFORMATION process;
  memset(&process, 0, sizeof process);
#ifdef UNDER_CE
  // The device hands a program its arguments alone and takes no start-up
  // information.
  std::vector<wchar_t> arguments = WritableText(commandLine);
  const BOOL created = CreateProcessW(executable.c_str(), &arguments[0], NULL, NULL, FALSE, 0, NULL,
                                      NULL, NULL, &process);
#else
  // Desktop programs find their own quoted path before the arguments, so the
  // map application sees the same arguments as on the device.
  std::vector<wchar_t> arguments = WritableText(L"\"" + executable + L"\" " + commandLine);
  STARTUPINFOW startup;
  memset(&startup, 0, sizeof startup);
  startup.cb = sizeof startup;
  const BOOL created = CreateProcessW(executable.c_str(), &arguments[0], NULL, NULL, FALSE, 0, NULL,
                                      NULL, &startup, &process);
#endif
  if (!created) return 0;
  // Nothing waits for the map application or asks after it.
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return 1;
}

}  // namespace

Win32Platform::Win32Platform(WindowHandle hostWindow) : hostWindow_(hostWindow) {}

std::wstring Win32Platform::ExecutablePath() {
  wchar_t path[kExecutablePathCharacters];
  const DWORD length = GetModuleFileNameW(NULL, path, kExecutablePathCharacters);
  // A path that fills the buffer may have been cut short, and a cut path
  // would point at the wrong settings file.
  if (length == 0 || length >= kExecutablePathCharacters) return std::wstring();
  return std::wstring(path, length);
}

FileHandle Win32Platform::OpenTextFile(const std::wstring& path) {
  return ToHandle(_wfopen(path.c_str(), L"rt"));
}

int Win32Platform::ReadTextLine(FileHandle file, int maxBytes, std::string& line) {
  if (!file || maxBytes <= 0) return 0;
  std::vector<char> buffer(static_cast<size_t>(maxBytes) + 1, '\0');
  if (!fgets(&buffer[0], maxBytes + 1, FromHandle(file, static_cast<FILE*>(0)))) return 0;
  line.assign(&buffer[0]);
  return 1;
}

void Win32Platform::CloseTextFile(FileHandle file) {
  if (file) fclose(FromHandle(file, static_cast<FILE*>(0)));
}

std::wstring Win32Platform::AnsiToWide(const std::string& bytes) {
  if (bytes.empty()) return std::wstring();
  const int size = static_cast<int>(bytes.size());
  const int characters = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, NULL, 0);
  if (characters <= 0) return std::wstring();
  std::vector<wchar_t> text(static_cast<size_t>(characters));
  const int written = MultiByteToWideChar(CP_ACP, 0, bytes.data(), size, &text[0], characters);
  return written > 0 ? std::wstring(&text[0], static_cast<size_t>(written)) : std::wstring();
}

std::string Win32Platform::WideToAnsi(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int bytes = WideCharToMultiByte(CP_ACP, 0, text.data(), size, NULL, 0, NULL, NULL);
  if (bytes <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(bytes));
  const int written =
      WideCharToMultiByte(CP_ACP, 0, text.data(), size, &buffer[0], bytes, NULL, NULL);
  return written > 0 ? std::string(&buffer[0], static_cast<size_t>(written)) : std::string();
}

DeviceHandle Win32Platform::OpenDevice(const std::wstring& name) {
  const HANDLE device =
      CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
  if (device == INVALID_HANDLE_VALUE || device == NULL) return 0;
  // A read must return at once with what has arrived. Left alone, a desktop
  // read waits for the whole buffer and the launcher would hang.
  COMMTIMEOUTS timeouts;
  memset(&timeouts, 0, sizeof timeouts);
  timeouts.ReadIntervalTimeout = MAXDWORD;
  if (!SetCommTimeouts(device, &timeouts)) {
    // The trace tells this failure by its own code, not the close's.
    const DWORD error = GetLastError();
    CloseHandle(device);
    SetLastError(error);
    return 0;
  }
  return ToHandle(device);
}

int Win32Platform::WriteDevice(DeviceHandle device, const char* bytes, int count) {
  if (count < 0) return 0;
  DWORD written = 0;
  if (!WriteFile(FromHandle(device, HANDLE()), bytes, static_cast<DWORD>(count), &written, NULL))
    return 0;
  return static_cast<int>(written);
}

int Win32Platform::ReadDevice(DeviceHandle device, char* buffer, int capacity) {
  if (capacity <= 0) return 0;
  DWORD read = 0;
  if (!ReadFile(FromHandle(device, HANDLE()), buffer, static_cast<DWORD>(capacity), &read, NULL))
    return 0;
  return static_cast<int>(read);
}

void Win32Platform::CloseDevice(DeviceHandle device) {
  if (device) CloseHandle(FromHandle(device, HANDLE()));
}

void Win32Platform::SleepFor(unsigned int milliseconds) { Sleep(milliseconds); }

WindowHandle Win32Platform::FindTopWindow(const std::wstring& className) {
  return ToHandle(FindWindowW(className.c_str(), NULL));
}

void Win32Platform::SetForeground(WindowHandle window) {
#ifdef UNDER_CE
  // The device reads the lowest bit as "together with its owned windows".
  SetForegroundWindow(FromHandle(window, HWND()));
#else
  // On the desktop the bit would name another window.
  SetForegroundWindow(FromHandle(window & ~static_cast<WindowHandle>(1), HWND()));
#endif
}

int Win32Platform::PostWindowMessage(WindowHandle window, unsigned int message, size_t wParam,
                                     ptrdiff_t lParam) {
  return PostMessageW(FromHandle(window, HWND()), message, static_cast<WPARAM>(wParam),
                      static_cast<LPARAM>(lParam))
             ? 1
             : 0;
}

int Win32Platform::StartProcess(const std::wstring& executable, const std::wstring& commandLine) {
  return CreateProcessDiscardingHandles(executable, commandLine);
}

void Win32Platform::SendKeyEvent(unsigned char virtualKey, bool keyUp) {
  keybd_event(virtualKey, 0, keyUp ? KEYEVENTF_KEYUP : 0, 0);
}

// Nothing is relied on from the calls around the synthesised keys, and the
// system's published interfaces name none for this purpose, so both do
// nothing on the device and on the desktop.
void Win32Platform::PreKeyCall() {}

void Win32Platform::PostKeyCall() {}

RegistryKey Win32Platform::OpenCurrentUserKey(const std::wstring& path) {
  // Full access; the device ignores the access mask and opens every key so.
  HKEY key = NULL;
  const LONG opened = RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_ALL_ACCESS, &key);
  if (opened != ERROR_SUCCESS) {
    // The registry answers with its code rather than setting the last error.
    SetLastError(static_cast<DWORD>(opened));
    return 0;
  }
  return ToHandle(key);
}

int Win32Platform::SetDwordValue(RegistryKey key, const std::wstring& name, unsigned int value) {
  const DWORD data = value;
  return RegSetValueExW(FromHandle(key, HKEY()), name.c_str(), 0, REG_DWORD,
                        reinterpret_cast<const BYTE*>(&data), sizeof data) == ERROR_SUCCESS
             ? 1
             : 0;
}

void Win32Platform::CloseRegistryKey(RegistryKey key) {
  if (key) RegCloseKey(FromHandle(key, HKEY()));
}

LibraryHandle Win32Platform::OpenLibrary(const std::wstring& name) {
#ifdef UNDER_CE
  return ToHandle(LoadLibraryW(name.c_str()));
#else
  // The desktop has no coredll.dll: a file of that name dropped in the
  // program's or the current folder would be loaded and called, so only the
  // system folder is searched.
  return ToHandle(LoadLibraryExW(name.c_str(), NULL, LOAD_LIBRARY_SEARCH_SYSTEM32));
#endif
}

LibraryFunction Win32Platform::FindFunction(LibraryHandle library, const std::wstring& name) {
  if (!library) return 0;
#ifdef UNDER_CE
  return reinterpret_cast<LibraryFunction>(
      GetProcAddressW(FromHandle(library, HMODULE()), name.c_str()));
#else
  std::string narrow;
  if (!NarrowExportName(name, narrow)) return 0;
  return reinterpret_cast<LibraryFunction>(
      GetProcAddress(FromHandle(library, HMODULE()), narrow.c_str()));
#endif
}

void Win32Platform::ReleaseLibrary(LibraryHandle library) {
  if (library) FreeLibrary(FromHandle(library, HMODULE()));
}

InternetHandle Win32Platform::OpenInternet(const std::wstring& agent, unsigned int accessType) {
  return ToHandle(InternetOpenW(agent.c_str(), accessType, NULL, NULL, 0));
}

int Win32Platform::SetInternetOption(InternetHandle handle, unsigned int option, const void* value,
                                     unsigned int size) {
  return InternetSetOptionW(FromHandle(handle, HINTERNET()), option, const_cast<void*>(value), size)
             ? 1
             : 0;
}

InternetHandle Win32Platform::OpenInternetUrl(InternetHandle internet, const std::wstring& url) {
  return ToHandle(InternetOpenUrlW(FromHandle(internet, HINTERNET()), url.c_str(), NULL, 0, 0, 0));
}

int Win32Platform::ReadInternetFile(InternetHandle url, char* buffer, unsigned int toRead,
                                    unsigned int& bytesRead) {
  DWORD read = 0;
  const BOOL ok = InternetReadFile(FromHandle(url, HINTERNET()), buffer, toRead, &read);
  bytesRead = read;
  return ok ? 1 : 0;
}

int Win32Platform::CloseInternetHandle(InternetHandle handle) {
  return InternetCloseHandle(FromHandle(handle, HINTERNET())) ? 1 : 0;
}

void Win32Platform::ShowMessage(const std::wstring& title, const std::wstring& text) {
#ifdef UNDER_CE
  // The framework's message box: an OK box gets the exclamation icon, its
  // owner is the application's main window (the host dialog, hostWindow_),
  // and its title the application's name, which the framework takes from
  // the executable's name just as `title` was made.
  static_cast<void>(title);
  static_cast<void>(hostWindow_);
  AfxMessageBox(text.c_str(), MB_OK);
#else
  // Looks as the handset's box does.
  MessageBoxW(FromHandle(hostWindow_, HWND()), text.c_str(), title.c_str(),
              MB_OK | MB_ICONEXCLAMATION);
#endif
}

void Win32Platform::RequestQuit(int exitCode) { PostQuitMessage(exitCode); }

unsigned int Win32Platform::LastError() { return GetLastError(); }
