// Windows CE names that the desktop's headers lack, as Windows CE's public
// documentation gives them. Forced into every source and the resource script
// when the handset's code is compiled against the desktop's headers.
#ifndef POSRELAY_DEVICE_CHECK_WINCE_NAMES_H
#define POSRELAY_DEVICE_CHECK_WINCE_NAMES_H

#include <windows.h>

// "Adds an OK button in the caption bar": CreateWindowEx (Windows CE 5.0),
// https://learn.microsoft.com/en-us/previous-versions/windows/embedded/ms908193(v=msdn.10),
// and Non-client Area Styles,
// https://learn.microsoft.com/en-us/previous-versions/windows/embedded/ms911872(v=msdn.10).
// The pages name the style but print no value; this is the value of the
// Windows CE SDK's winuser.h.
#define WS_EX_CAPTIONOKBTN 0x80000000L

#ifndef RC_INVOKED
// Windows CE looks exports up by their Unicode names, so its GetProcAddress
// takes an LPCWSTR and the function the system exports is GetProcAddressW:
// GetProcAddress, https://learn.microsoft.com/en-us/previous-versions/ms908453(v=msdn.10).
#ifdef __cplusplus
extern "C" {
#endif
WINBASEAPI FARPROC WINAPI GetProcAddressW(HMODULE hModule, LPCWSTR lpProcName);
#ifdef __cplusplus
}
#endif
#endif

#endif
