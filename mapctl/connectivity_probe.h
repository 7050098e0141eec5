#ifndef POSRELAY_MAPCTL_CONNECTIVITY_PROBE_H
#define POSRELAY_MAPCTL_CONNECTIVITY_PROBE_H

#include "platform/platform_services.h"

// The page whose first bytes prove that the internet can be reached. The
// build may set it, as a string literal of plain ASCII characters, narrow
// or wide: -DPOSRELAY_PROBE_URL="http://127.0.0.1:8080/" (the quotes being
// part of the value).
#ifndef POSRELAY_PROBE_URL
#define POSRELAY_PROBE_URL L"http://www.example.com/"
#endif

// Most bytes the probe reads.
enum { kProbeBytes = 10 };

// Opens the probe page once and reads up to 10 bytes from it. Returns the
// count read; 0 when the internet, the page or its bytes cannot be had.
int ProbeInternet(PlatformServices& platform);

#endif
