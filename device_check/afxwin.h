// The parts of MFC for devices that the launcher's shell and platform use,
// declared as the MFC reference documents them, standing in for the
// framework's own afxwin.h when the handset's code is compiled here. Only
// what the launcher uses is declared; nothing here is linked or run.
// The MFC reference, https://learn.microsoft.com/en-us/cpp/mfc/reference/:
// cwinapp-class, cwinthread-class, cdialog-class, cwnd-class,
// application-information-and-management#afxgetapp and
// cstring-formatting-and-message-box-display#afxmessagebox.
#ifndef POSRELAY_DEVICE_CHECK_AFXWIN_H
#define POSRELAY_DEVICE_CHECK_AFXWIN_H

#include <windows.h>

#define AFXAPI __stdcall

class CObject {
 public:
  virtual ~CObject();

 protected:
  CObject();
};

class CCmdTarget : public CObject {
 public:
  CCmdTarget();
};

class CWnd : public CCmdTarget {
 public:
  CWnd();
  virtual ~CWnd();

  HWND GetSafeHwnd() const;
  HICON SetIcon(HICON hIcon, BOOL bBigIcon);
  void CenterWindow(CWnd* pAlternateOwner = NULL);

  HWND m_hWnd;
};

class CDialog : public CWnd {
 public:
  explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = NULL);
  virtual ~CDialog();

  virtual INT_PTR DoModal();
  virtual BOOL OnInitDialog();
};

class CWinThread : public CCmdTarget {
 public:
  CWinThread();
  virtual ~CWinThread();

  virtual BOOL InitInstance();

  CWnd* m_pMainWnd;
};

class CWinApp : public CWinThread {
 public:
  explicit CWinApp(LPCTSTR lpszAppName = NULL);
  virtual ~CWinApp();

  virtual BOOL InitInstance();
  HICON LoadIcon(UINT nIDResource) const;

  LPCTSTR m_pszAppName;
  HINSTANCE m_hInstance;
};

CWinApp* AFXAPI AfxGetApp();
int AFXAPI AfxMessageBox(LPCTSTR lpszText, UINT nType = MB_OK, UINT nIDHelp = 0);

#endif
