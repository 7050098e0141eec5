#include "mapctl/connectivity_probe.h"

#include <string>

namespace {

const wchar_t kAgentName[] = L"posrelay";
const unsigned int kInternetOpenTypeDirect = 1;        // INTERNET_OPEN_TYPE_DIRECT
const unsigned int kInternetOptionReceiveTimeout = 6;  // INTERNET_OPTION_RECEIVE_TIMEOUT
const unsigned int kReceiveTimeoutMs = 30000;

// The probe URL may be given narrow or wide; either way it is ASCII.
template <typename Character>
std::wstring WidenUrl(const Character* url) {
  std::wstring wide;
  for (; *url; ++url) wide += static_cast<wchar_t>(*url);
  return wide;
}

}  // namespace

int ProbeInternet(PlatformServices& platform) {
  const InternetHandle internet = platform.OpenInternet(kAgentName, kInternetOpenTypeDirect);
  if (!internet) return 0;
  // A 4-byte value, as the option requires.
  const unsigned int timeout = kReceiveTimeoutMs;
  platform.SetInternetOption(internet, kInternetOptionReceiveTimeout, &timeout, sizeof timeout);
  const InternetHandle url = platform.OpenInternetUrl(internet, WidenUrl(POSRELAY_PROBE_URL));
  if (!url) {
    platform.CloseInternetHandle(internet);
    return 0;
  }
  char buffer[kProbeBytes];
  // Starts at 0 so that a read which fails without reporting a count is no
  // success; only the count tells, not the read's own result.
  unsigned int bytesRead = 0;
  platform.ReadInternetFile(url, buffer, kProbeBytes, bytesRead);
  platform.CloseInternetHandle(url);
  platform.CloseInternetHandle(internet);
  return bytesRead > kProbeBytes ? kProbeBytes : static_cast<int>(bytesRead);
}
