#ifndef POSRELAY_SHELL_LAUNCHER_DLG_H
#define POSRELAY_SHELL_LAUNCHER_DLG_H

#include "shell/framework.h"
#include "shell/res/resource.h"

// The launcher's only window: an empty captioned dialog whose
// initialisation runs the launch sequence before the dialog is shown.
class CLauncherDlg : public CDialog {
 public:
  enum { IDD = IDD_LAUNCHER_DIALOG };

  explicit CLauncherDlg(CWnd* parent = NULL);

 protected:
  virtual BOOL OnInitDialog();

 private:
  HICON m_hIcon;
};

#endif
