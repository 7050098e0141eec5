// Watches for message boxes under Wine, records each one's caption, text and
// icon and dismisses it with OK, until a stop file appears or the time is up.
//
//   message_box_watcher <record file> <stop file> <limit ms>
//
// The record file is made as the watcher starts, so that its starter can see
// it running, and gets one UTF-8 line per message box: caption, text and
// icon ("exclamation", "other" or "none"), separated by tabs; the icon is
// noted by message_box_icon_hook.dll, beside the watcher. While it runs, the
// watcher also keeps Wine's desktop alive between the programs of a test.
// Exit code 0 when stopped by the file, 1 when the time ran out, 2 on bad
// arguments or a record file it cannot make.
#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <set>
#include <string>

namespace {

// A message box's text is the static control with this identifier; a
// program's own dialog has the same window class but not this control.
const int kMessageTextControl = 0xFFFF;
const DWORD kPollMs = 20;
const wchar_t kIconProperty[] = L"PosrelayMessageBoxIcon";

std::wstring WindowText(HWND window) {
  wchar_t text[1024] = {0};
  GetWindowTextW(window, text, 1024);
  return text;
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return std::string();
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  return bytes;
}

bool Exists(const wchar_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES; }

const char* IconName(HWND box) {
  const UINT_PTR icon = reinterpret_cast<UINT_PTR>(GetPropW(box, kIconProperty));
  return icon == 0 ? "none" : icon == 1 ? "exclamation" : "other";
}

// Sets the hook that notes each message box's icon in the box's own program;
// without it every icon reads "none".
void HookMessageBoxIcons() {
  const HMODULE hook = LoadLibraryW(L"message_box_icon_hook.dll");  // beside the watcher
  // Through the generic function type, which converts to any other.
  const HOOKPROC note = reinterpret_cast<HOOKPROC>(
      reinterpret_cast<void (*)()>(GetProcAddress(hook, "NoteMessageBoxIcon")));
  if (note) SetWindowsHookExW(WH_CALLWNDPROC, note, hook, 0);
}

void Record(const wchar_t* recordPath, HWND box) {
  const HWND textControl = GetDlgItem(box, kMessageTextControl);
  const std::string line =
      Utf8(WindowText(box)) + "\t" + Utf8(WindowText(textControl)) + "\t" + IconName(box) + "\n";
  FILE* record = _wfopen(recordPath, L"ab");
  if (!record) return;
  std::fwrite(line.data(), 1, line.size(), record);
  std::fclose(record);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) {
    std::fwprintf(stderr, L"usage: message_box_watcher <record file> <stop file> <limit ms>\n");
    return 2;
  }
  const wchar_t* recordPath = argv[1];
  const wchar_t* stopPath = argv[2];
  const DWORD limitMs = static_cast<DWORD>(std::wcstoul(argv[3], nullptr, 10));
  FILE* record = _wfopen(recordPath, L"ab");
  if (!record) return 2;
  std::fclose(record);
  HookMessageBoxIcons();
  std::set<HWND> seen;
  const DWORD start = GetTickCount();
  while (!Exists(stopPath)) {
    if (GetTickCount() - start > limitMs) return 1;
    for (HWND box = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); box;
         box = FindWindowExW(nullptr, box, L"#32770", nullptr)) {
      if (!GetDlgItem(box, kMessageTextControl) || seen.count(box)) continue;
      if (!IsWindowVisible(box)) continue;  // its text and icon are set by then
      seen.insert(box);
      Record(recordPath, box);
      PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    Sleep(kPollMs);
  }
  return 0;
}
