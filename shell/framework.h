#ifndef POSRELAY_SHELL_FRAMEWORK_H
#define POSRELAY_SHELL_FRAMEWORK_H

// The handset build uses MFC for Windows CE; the desktop compilers have no
// MFC, so the few pieces the shell uses come from our own small layer.
#ifdef UNDER_CE
#include <afxwin.h>
#else
#include "shell/mini_framework.h"
#endif

#endif
