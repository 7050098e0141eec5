// The message box watcher's hook, which the system loads into each program
// on Wine's desktop: it notes on each message box whether its icon is the
// exclamation, as a window property the watcher reads. An icon handle means
// nothing outside the program that loaded it, so only that program can tell.
#include <windows.h>

extern "C" __declspec(dllexport) LRESULT CALLBACK
    NoteMessageBoxIcon(int code, WPARAM wParam, LPARAM lParam) {
  const CWPSTRUCT* sent = reinterpret_cast<const CWPSTRUCT*>(lParam);
  const int kMessageIconControl = 1088;
  if (code == HC_ACTION && sent->message == STM_SETICON &&
      GetDlgCtrlID(sent->hwnd) == kMessageIconControl) {
    const bool exclamation =
        sent->wParam == reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_EXCLAMATION));
    SetPropW(GetParent(sent->hwnd), L"PosrelayMessageBoxIcon",
             reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(exclamation ? 1 : 2)));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}
