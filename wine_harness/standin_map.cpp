// A stand-in for the map application under Wine. Its main window has the map's
// class, "GoogleMapsMobile", and it logs what the launcher does to it as JSON
// lines with wall-clock milliseconds: its command line, activation, the close
// request, commands and keys. Its behaviour comes from the environment:
//   STANDIN_MAP_LOG             log file (Windows path)
//   STANDIN_MAP_APPEARS_AFTER   ms from the start until the window exists; -1: never
//   STANDIN_MAP_CLOSES_AFTER    ms from the close request until it exits; -1: never
//   STANDIN_MAP_STOP            a file whose appearance ends the program
// It ends by itself after two minutes at the latest.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

const wchar_t kMapClass[] = L"GoogleMapsMobile";
const UINT_PTR kAppearTimer = 1;
const UINT_PTR kCloseTimer = 2;
const UINT_PTR kStopTimer = 3;
const UINT kStopPollMs = 50;
const ULONGLONG kLifetimeMs = 120000;

std::wstring logPath;
std::wstring stopPath;
long closesAfterMs = 0;
ULONGLONG startedAt = 0;
HWND mainWindow = nullptr;

std::wstring Environment(const wchar_t* name) {
  wchar_t value[1024] = {0};
  const DWORD length = GetEnvironmentVariableW(name, value, 1024);
  return length > 0 && length < 1024 ? std::wstring(value, length) : std::wstring();
}

long EnvironmentMs(const wchar_t* name, long fallback) {
  const std::wstring value = Environment(name);
  return value.empty() ? fallback : std::wcstol(value.c_str(), nullptr, 10);
}

long long NowMs() {
  FILETIME now;
  GetSystemTimePreciseAsFileTime(&now);
  const unsigned long long ticks =
      (static_cast<unsigned long long>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  return static_cast<long long>((ticks - 116444736000000000ULL) / 10000);
}

std::string JsonText(const std::wstring& text) {
  std::string utf8;
  if (!text.empty()) {
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    utf8.resize(static_cast<std::size_t>(size));
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), utf8.data(), size,
                        nullptr, nullptr);
  }
  std::string quoted = "\"";
  for (unsigned char c : utf8) {
    if (c == '"' || c == '\\') {
      quoted += '\\';
      quoted += static_cast<char>(c);
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      quoted += escape;
    } else {
      quoted += static_cast<char>(c);
    }
  }
  return quoted + "\"";
}

void Log(const std::string& event, const std::string& fields = std::string()) {
  if (logPath.empty()) return;
  FILE* log = _wfopen(logPath.c_str(), L"ab");
  if (!log) return;
  std::fprintf(log, "{\"t\": %lld, \"source\": \"map\", \"event\": \"%s\"%s}\n", NowMs(),
               event.c_str(), fields.c_str());
  std::fclose(log);
}

void ShowWindowNow(HINSTANCE instance) {
  mainWindow = CreateWindowExW(0, kMapClass, L"Stand-in map", WS_OVERLAPPEDWINDOW, 0, 0, 240, 320,
                               nullptr, nullptr, instance, nullptr);
  if (!mainWindow) {
    Log("window_failed");
    PostQuitMessage(1);
    return;
  }
  ShowWindow(mainWindow, SW_SHOW);
  Log("window");
}

LRESULT CALLBACK MapWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ACTIVATE:
      if (LOWORD(wParam) != WA_INACTIVE) Log("activate");
      break;
    case WM_CLOSE:
      Log("close");
      if (closesAfterMs >= 0)
        SetTimer(window, kCloseTimer, static_cast<UINT>(closesAfterMs), nullptr);
      return 0;
    case WM_TIMER:
      if (wParam == kCloseTimer) {
        KillTimer(window, kCloseTimer);
        DestroyWindow(window);
      }
      return 0;
    case WM_DESTROY:
      Log("exit");
      PostQuitMessage(0);
      return 0;
    case WM_COMMAND:
      Log("command",
          ", \"wparam\": " + std::to_string(wParam) + ", \"lparam\": " + std::to_string(lParam));
      return 0;
    case WM_KEYDOWN:
    case WM_KEYUP:
      Log("key", ", \"vk\": " + std::to_string(wParam) +
                     ", \"down\": " + (message == WM_KEYDOWN ? "true" : "false"));
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool StopRequested() {
  return (!stopPath.empty() && GetFileAttributesW(stopPath.c_str()) != INVALID_FILE_ATTRIBUTES) ||
         GetTickCount64() - startedAt > kLifetimeMs;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  startedAt = GetTickCount64();
  logPath = Environment(L"STANDIN_MAP_LOG");
  stopPath = Environment(L"STANDIN_MAP_STOP");
  const long appearsAfterMs = EnvironmentMs(L"STANDIN_MAP_APPEARS_AFTER", 0);
  closesAfterMs = EnvironmentMs(L"STANDIN_MAP_CLOSES_AFTER", 0);
  Log("start", ", \"cmdline\": " + JsonText(GetCommandLineW()));

  WNDCLASSW windowClass = {};
  windowClass.lpfnWndProc = MapWindowProc;
  windowClass.hInstance = instance;
  windowClass.lpszClassName = kMapClass;
  RegisterClassW(&windowClass);

  // Thread timers: the window may not exist yet.
  const UINT_PTR stopTimer = SetTimer(nullptr, kStopTimer, kStopPollMs, nullptr);
  UINT_PTR appearTimer = 0;
  if (appearsAfterMs == 0) {
    ShowWindowNow(instance);
  } else if (appearsAfterMs > 0) {
    appearTimer = SetTimer(nullptr, kAppearTimer, static_cast<UINT>(appearsAfterMs), nullptr);
  }

  MSG message;
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == nullptr && message.message == WM_TIMER) {
      if (appearTimer && message.wParam == appearTimer) {
        KillTimer(nullptr, appearTimer);
        appearTimer = 0;
        ShowWindowNow(instance);
      } else if (message.wParam == stopTimer && StopRequested()) {
        Log("stopped");
        break;
      }
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  KillTimer(nullptr, stopTimer);
  if (mainWindow && IsWindow(mainWindow)) DestroyWindow(mainWindow);
  return 0;
}
