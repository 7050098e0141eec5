// Checks of Win32Platform against the real system calls, run under Wine by
// platform_test.py, which maps COM1 to a pseudo-terminal holding a reply
// and serves a small page at the first URL.
//
//   win32_platform_test <page url> <dead url>
//
// It writes its files in its own folder.
// Prints one line per check and exits with the number of failed checks.
// Started with a map-style command line (-URL ...), it is instead the child
// of the process check and writes its command line to a file beside itself.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace {

int failures = 0;

void Check(bool passed, const char* what) {
  std::printf("%s %s\n", passed ? "ok  " : "FAIL", what);
  if (!passed) ++failures;
}

const wchar_t kMapArguments[] = L"-URL \"?action=locn&a=@latlon:35.692670,139.750125\"";
const wchar_t kChildRecord[] = L"child-command-line.txt";
// Upper bounds on what should happen at once, and on a program's start, with
// room for a busy machine: they catch a call that blocks, not a slow one.
const DWORD kPromptlyMs = 5000;
const DWORD kChildStartMs = 30000;

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.rfind(L'\\')); }

void WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  FILE* file = _wfopen(path.c_str(), L"wb");
  std::fwrite(bytes.data(), 1, bytes.size(), file);
  std::fclose(file);
}

std::string ReadFileBytes(const std::wstring& path) {
  std::string bytes;
  FILE* file = _wfopen(path.c_str(), L"rb");
  if (!file) return bytes;
  char buffer[512];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
    bytes.append(buffer, n);
  std::fclose(file);
  return bytes;
}

void CheckTextFiles(Win32Platform& platform, const std::wstring& folder) {
  const std::string longLine(300, 'x');
  WriteFileBytes(folder + L"\\lines.txt",
                 "wait=100\r\ngpath=a\nab" + std::string(1, '\0') + "cd\n" + longLine + "\nlast");
  struct Piece {
    std::string bytes;
    const char* what;
  };
  const Piece expected[] = {
      {"wait=100\n", "a CR LF line reads with its LF alone"},
      {"gpath=a\n", "an LF line reads whole"},
      {"ab", "a line ends at a zero byte"},
      {std::string(255, 'x'), "a long line's first piece is 255 bytes"},
      {std::string(45, 'x') + "\n", "the rest of a long line is the next piece"},
      {"last", "a last line without LF reads"},
  };
  const FileHandle file = platform.OpenTextFile(folder + L"\\lines.txt");
  Check(file != 0, "a text file opens");
  if (!file) return;
  for (const Piece& piece : expected) {
    std::string line;
    Check(platform.ReadTextLine(file, 255, line) && line == piece.bytes, piece.what);
  }
  std::string line;
  Check(!platform.ReadTextLine(file, 255, line), "the end of the file reads as none");
  platform.CloseTextFile(file);
  Check(platform.OpenTextFile(folder + L"\\missing.txt") == 0, "a missing file does not open");
}

void CheckCodePage(Win32Platform& platform) {
  // "位置" in Shift-JIS; the tests run with the Japanese code page.
  const std::string shiftJis = "\x88\xca\x92\x75";
  Check(GetACP() == 932, "the system code page is 932");
  Check(platform.AnsiToWide(shiftJis) == L"\x4f4d\x7f6e", "Shift-JIS bytes convert to UTF-16");
  Check(platform.WideToAnsi(L"\x4f4d\x7f6e") == shiftJis, "UTF-16 converts to Shift-JIS bytes");
  Check(platform.WideToAnsi(L"ATI4\r") == "ATI4\r", "ASCII converts byte for byte");
  Check(platform.AnsiToWide("").empty() && platform.WideToAnsi(L"").empty(),
        "empty text converts to empty text");
}

void CheckSerialPort(Win32Platform& platform) {
  Check(platform.OpenDevice(L"COM9:") == 0, "an unmapped port does not open");
  const DeviceHandle port = platform.OpenDevice(L"COM1:");
  Check(port != 0, "the mapped port opens");
  if (!port) return;
  Check(platform.WriteDevice(port, "ATI4\r", 5) == 5, "a command is written whole");
  char buffer[256] = {0};
  const DWORD start = GetTickCount();
  const int first = platform.ReadDevice(port, buffer, 256);
  Check(first == 7 && std::string(buffer, 7) == "RX410\r\n", "a read returns what has arrived");
  const int second = platform.ReadDevice(port, buffer, 256);
  // Without its time-outs a read would block for good; the bound leaves room
  // for a busy machine.
  Check(second == 0 && GetTickCount() - start < kPromptlyMs,
        "a read with nothing there returns at once");
  platform.CloseDevice(port);
}

void CheckRegistry(Win32Platform& platform) {
  const wchar_t kTestKey[] = L"Software\\posrelay-platform-test";
  RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey);
  Check(platform.OpenCurrentUserKey(kTestKey) == 0, "a missing key does not open");
  HKEY probe = NULL;
  Check(RegOpenKeyExW(HKEY_CURRENT_USER, kTestKey, 0, KEY_READ, &probe) != ERROR_SUCCESS,
        "opening a missing key does not create it");
  HKEY created = NULL;
  RegCreateKeyExW(HKEY_CURRENT_USER, kTestKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &created, NULL);
  RegCloseKey(created);
  const RegistryKey key = platform.OpenCurrentUserKey(kTestKey);
  Check(key != 0 && platform.SetDwordValue(key, L"Status22", 7), "a DWORD value is set");
  platform.CloseRegistryKey(key);
  DWORD type = 0, value = 0, size = sizeof value;
  RegGetValueW(HKEY_CURRENT_USER, kTestKey, L"Status22", RRF_RT_ANY, &type, &value, &size);
  Check(type == REG_DWORD && size == 4 && value == 7, "the value is a 4-byte REG_DWORD of 7");
  RegDeleteKeyW(HKEY_CURRENT_USER, kTestKey);
}

void CheckLibraries(Win32Platform& platform, const std::wstring& folder) {
  Check(platform.OpenLibrary(L"coredll.dll") == 0,
        "a coredll.dll in the program's and the current folder is not loaded");
  const HMODULE planted = LoadLibraryW((folder + L"\\coredll.dll").c_str());
  Check(planted != NULL, "the planted coredll.dll itself loads");
  FreeLibrary(planted);
  const LibraryHandle kernel = platform.OpenLibrary(L"kernel32.dll");
  Check(kernel != 0, "a system library loads");
  Check(platform.FindFunction(kernel, L"GetTickCount") != 0, "a function is found by name");
  Check(platform.FindFunction(kernel, L"NoSuchFunction") == 0, "a missing function is none");
  Check(platform.FindFunction(kernel, L"GetTick\x00e7ount") == 0, "a non-ASCII name finds none");
  Check(platform.FindFunction(0, L"GetTickCount") == 0, "no library finds none");
  platform.ReleaseLibrary(kernel);
}

void CheckProcess(Win32Platform& platform, const std::wstring& folder) {
  Check(platform.StartProcess(folder + L"\\missing.exe", kMapArguments) == 0,
        "a missing program does not start");
  const std::wstring self = platform.ExecutablePath();
  const std::wstring record = folder + L"\\" + kChildRecord;
  DeleteFileW(record.c_str());
  Check(platform.StartProcess(self, kMapArguments) != 0, "a program starts");
  for (DWORD waited = 0;
       waited < kChildStartMs && GetFileAttributesW(record.c_str()) == INVALID_FILE_ATTRIBUTES;
       waited += 50)
    Sleep(50);
  Sleep(100);
  std::string expected =
      "\"" + platform.WideToAnsi(self) + "\" " + platform.WideToAnsi(kMapArguments);
  Check(ReadFileBytes(record) == expected, "the program sees its quoted path, then the arguments");
}

LRESULT CALLBACK TestWindowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return DefWindowProcW(window, message, wParam, lParam);
}

// Waits for a message of the given kind in this thread's queue.
bool ReceiveMessage(UINT wanted, MSG& found) {
  for (DWORD waited = 0; waited < kPromptlyMs; waited += 20) {
    MSG message;
    while (PeekMessageW(&message, NULL, 0, 0, PM_REMOVE)) {
      if (message.message == wanted) {
        found = message;
        return true;
      }
      DispatchMessageW(&message);
    }
    Sleep(20);
  }
  return false;
}

void CheckWindows(Win32Platform& platform) {
  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = TestWindowProcedure;
  windowClass.hInstance = GetModuleHandleW(NULL);
  windowClass.lpszClassName = L"PosrelayTestWindow";
  RegisterClassW(&windowClass);
  const HWND window =
      CreateWindowExW(0, L"PosrelayTestWindow", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100,
                      100, NULL, NULL, windowClass.hInstance, NULL);
  const WindowHandle handle = reinterpret_cast<WindowHandle>(window);
  Check(platform.FindTopWindow(L"PosrelayTestWindow") == handle, "a window is found by class");
  Check(platform.FindTopWindow(L"NoSuchWindowClass") == 0, "a missing class finds none");

  MSG message;
  Check(platform.PostWindowMessage(handle, WM_USER + 6, 206, 0) &&
            ReceiveMessage(WM_USER + 6, message) && message.wParam == 206 && message.lParam == 0,
        "a posted message arrives with its parameters");

  platform.SetForeground(handle | 1);
  bool inFront = false;
  for (DWORD waited = 0; waited < kPromptlyMs && !inFront; waited += 20) {
    inFront = GetForegroundWindow() == window;
    Sleep(20);
  }
  Check(inFront, "the window comes to the front from its handle OR 1");
  SetFocus(window);

  platform.SendKeyEvent(0x33, false);
  Check(ReceiveMessage(WM_KEYDOWN, message) && message.wParam == 0x33,
        "a key-down reaches the focused window");
  platform.SendKeyEvent(0x33, true);
  Check(ReceiveMessage(WM_KEYUP, message) && message.wParam == 0x33,
        "a key-up reaches the focused window");
  DestroyWindow(window);

  platform.RequestQuit(3);
  Check(ReceiveMessage(WM_QUIT, message) && message.wParam == 3, "the quit request is queued");
}

void CheckInternet(Win32Platform& platform, const std::wstring& pageUrl,
                   const std::wstring& deadUrl) {
  const InternetHandle internet = platform.OpenInternet(L"posrelay", 1);
  Check(internet != 0, "the internet handle opens");
  const unsigned int timeoutMs = 30000;
  Check(platform.SetInternetOption(internet, 6, &timeoutMs, 4) != 0, "the receive time-out is set");
  const InternetHandle page = platform.OpenInternetUrl(internet, pageUrl);
  Check(page != 0, "a served page opens");
  char buffer[10] = {0};
  unsigned int read = 0;
  Check(page && platform.ReadInternetFile(page, buffer, 10, read) && read == 10 &&
            std::string(buffer, 10) == "0123456789",
        "the first ten bytes of the page are read");
  Check(!page || platform.CloseInternetHandle(page), "the page's handle closes");
  Check(platform.OpenInternetUrl(internet, deadUrl) == 0, "a page nobody serves does not open");
  Check(platform.CloseInternetHandle(internet) != 0, "the internet handle closes");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  Win32Platform platform(0);
  const std::wstring self = platform.ExecutablePath();
  if (std::wcsstr(GetCommandLineW(), L"-URL")) {
    WriteFileBytes(Folder(self) + L"\\" + kChildRecord, platform.WideToAnsi(GetCommandLineW()));
    return 0;
  }
  if (argc != 3) {
    std::printf("usage: win32_platform_test <page url> <dead url>\n");
    return 100;
  }
  Check(!self.empty() && self.find(L'/') == std::wstring::npos && self.size() > 24 &&
            self.substr(self.size() - 24) == L"\\win32_platform_test.exe",
        "the executable path is whole, with backslashes");
  CheckTextFiles(platform, Folder(self));
  CheckCodePage(platform);
  CheckSerialPort(platform);
  CheckRegistry(platform);
  CheckLibraries(platform, Folder(self));
  CheckProcess(platform, Folder(self));
  CheckWindows(platform);
  CheckInternet(platform, argv[1], argv[2]);
  return failures;
}
