#ifndef POSRELAY_SHELL_RES_VERSION_H
#define POSRELAY_SHELL_RES_VERSION_H

// The launcher's version, in each form its resources and its trace write
// it. Change all three together.
#define POSRELAY_VERSION_NUMBERS 1, 5, 0, 0
#define POSRELAY_VERSION_TEXT "1, 5, 0, 0"
#define POSRELAY_VERSION_DOTTED "1.5.0.0"

// The sources the launcher was built from, which its trace names: the build
// system gives their commit; a build made otherwise says so.
#ifndef POSRELAY_BUILD
#define POSRELAY_BUILD "unknown"
#endif

#endif
