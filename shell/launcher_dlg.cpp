// The application shell exists on Windows only (the handset and the desktop);
// elsewhere this file is empty.
#ifdef _WIN32

#include "shell/launcher_dlg.h"

#include "platform/win32/win32_platform.h"
#include "shell/traced_launch.h"

CLauncherDlg::CLauncherDlg(CWnd* parent)
    : CDialog(CLauncherDlg::IDD, parent), m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)) {}

BOOL CLauncherDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  SetIcon(m_hIcon, TRUE);
  SetIcon(m_hIcon, FALSE);
  CenterWindow();
  // The whole run happens here, before the dialog is shown; its message
  // boxes belong to this dialog, and its quit request ends the modal loop.
  // posrelay.trace beside the executable asks for the run to be traced.
  Win32Platform platform(reinterpret_cast<WindowHandle>(GetSafeHwnd()));
  RunLaunchTracedWhenAsked(platform);
  return TRUE;
}

#endif
