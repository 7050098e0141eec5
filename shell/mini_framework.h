#ifndef POSRELAY_SHELL_MINI_FRAMEWORK_H
#define POSRELAY_SHELL_MINI_FRAMEWORK_H

#include <windows.h>

// The part of MFC that the launcher's shell uses, for desktop builds
// without MFC: an application object whose initialisation is the whole
// program, and a modal dialog built from a template. Names and signatures
// follow MFC so that the shell compiles against either.

class CWnd {
 public:
  CWnd();
  virtual ~CWnd() {}

  HWND GetSafeHwnd() const;
  HICON SetIcon(HICON icon, BOOL bigIcon);
  // Centres the window on the screen.
  void CenterWindow();

  HWND m_hWnd;
};

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = NULL);

  // Runs the dialog until it is ended or a quit request arrives.
  virtual INT_PTR DoModal();
  virtual BOOL OnInitDialog();

 private:
  static INT_PTR CALLBACK DialogProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  UINT templateId_;
  CWnd* parent_;
};

class CWinApp {
 public:
  CWinApp();
  virtual ~CWinApp() {}

  // The program's whole work; the process exits when it returns, since the
  // shell never asks for a message loop afterwards.
  virtual BOOL InitInstance() = 0;
  HICON LoadIcon(UINT resourceId) const;

  CWnd* m_pMainWnd;
  HINSTANCE m_hInstance;
};

// The one application object of the program.
CWinApp* AfxGetApp();

#endif
