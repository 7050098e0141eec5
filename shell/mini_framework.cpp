// The application shell exists on Windows only (the handset and the desktop);
// elsewhere this file is empty.
#ifdef _WIN32

#include "shell/mini_framework.h"

namespace {

CWinApp* theApplication = NULL;

}  // namespace

CWnd::CWnd() : m_hWnd(NULL) {}

HWND CWnd::GetSafeHwnd() const { return m_hWnd; }

HICON CWnd::SetIcon(HICON icon, BOOL bigIcon) {
  return reinterpret_cast<HICON>(SendMessageW(m_hWnd, WM_SETICON, bigIcon ? ICON_BIG : ICON_SMALL,
                                              reinterpret_cast<LPARAM>(icon)));
}

void CWnd::CenterWindow() {
  RECT frame;
  if (!GetWindowRect(m_hWnd, &frame)) return;
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  SetWindowPos(m_hWnd, NULL, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

CDialog::CDialog(UINT templateId, CWnd* parent) : templateId_(templateId), parent_(parent) {}

INT_PTR CDialog::DoModal() {
  // The system's modal loop ends on a quit request and leaves it queued,
  // which is how the launch sequence ends the dialog.
  const INT_PTR result = DialogBoxParamW(AfxGetApp()->m_hInstance, MAKEINTRESOURCEW(templateId_),
                                         parent_ ? parent_->m_hWnd : NULL, DialogProcedure,
                                         reinterpret_cast<LPARAM>(this));
  m_hWnd = NULL;
  return result;
}

BOOL CDialog::OnInitDialog() { return TRUE; }

INT_PTR CALLBACK CDialog::DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    CDialog* dialog = reinterpret_cast<CDialog*>(lParam);
    dialog->m_hWnd = window;
    return dialog->OnInitDialog();
  }
  // OK and Cancel end the dialog, as the caption's button and the close
  // command do in MFC.
  if (message == WM_COMMAND && (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL)) {
    EndDialog(window, LOWORD(wParam));
    return TRUE;
  }
  return FALSE;
}

CWinApp::CWinApp() : m_pMainWnd(NULL), m_hInstance(NULL) { theApplication = this; }

HICON CWinApp::LoadIcon(UINT resourceId) const {
  return ::LoadIconW(m_hInstance, MAKEINTRESOURCEW(resourceId));
}

CWinApp* AfxGetApp() { return theApplication; }

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, LPWSTR, int) {
  CWinApp* application = AfxGetApp();
  if (!application) return 0;
  application->m_hInstance = instance;
  application->InitInstance();
  return 0;
}

#endif
