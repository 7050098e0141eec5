#ifndef POSRELAY_SHELL_RES_RESOURCE_H
#define POSRELAY_SHELL_RES_RESOURCE_H

// Identifiers shared by the resource script and the application shell.
#define IDD_LAUNCHER_DIALOG 102
#define IDR_MAINFRAME 131

#endif
