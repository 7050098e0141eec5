// The application shell exists on Windows only (the handset and the desktop);
// elsewhere this file is empty.
#ifdef _WIN32

#include "shell/launcher_app.h"

#include "shell/launcher_dlg.h"

CLauncherApp theApp;

BOOL CLauncherApp::InitInstance() {
  CLauncherDlg dialog;
  m_pMainWnd = &dialog;
  dialog.DoModal();
  // The dialog ends here; the application must not keep pointing at it.
  m_pMainWnd = NULL;
  // The run is over when the dialog's modal loop ends: no message loop is
  // wanted afterwards, so the program exits.
  return FALSE;
}

#endif
