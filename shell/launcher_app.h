#ifndef POSRELAY_SHELL_LAUNCHER_APP_H
#define POSRELAY_SHELL_LAUNCHER_APP_H

#include "shell/framework.h"

// The launcher's application object. Its initialisation runs the host
// dialog, and with it the whole launch, then ends the program.
class CLauncherApp : public CWinApp {
 public:
  virtual BOOL InitInstance();
};

#endif
