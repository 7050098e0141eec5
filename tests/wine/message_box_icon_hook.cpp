// The message box watcher's hook, which the system loads into each program
// on Wine's desktop: notes on every message box the icon it is given, as a
// window property the watcher can read. An icon handle means nothing
// outside the program that loaded it, so only the program itself can tell.
#include <windows.h>

namespace {

const int kMessageIconControl = 1088;
const wchar_t kIconProperty[] = L"PosrelayMessageBoxIcon";

// The icon's MB_ICON... value; MB_USERICON for any other icon.
UINT_PTR IconStyle(WPARAM icon) {
  const struct {
    LPCWSTR resource;
    UINT style;
  } kSystemIcons[] = {{IDI_EXCLAMATION, MB_ICONEXCLAMATION},
                      {IDI_HAND, MB_ICONHAND},
                      {IDI_QUESTION, MB_ICONQUESTION},
                      {IDI_ASTERISK, MB_ICONASTERISK}};
  for (const auto& system : kSystemIcons) {
    if (icon == reinterpret_cast<WPARAM>(LoadIconW(nullptr, system.resource))) return system.style;
  }
  return MB_USERICON;
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    NoteMessageBoxIcon(int code, WPARAM wParam, LPARAM lParam) {
  const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && sent->message == STM_SETICON &&
      GetDlgCtrlID(sent->hwnd) == kMessageIconControl) {
    SetPropW(GetParent(sent->hwnd), kIconProperty,
             reinterpret_cast<HANDLE>(IconStyle(sent->wParam)));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
