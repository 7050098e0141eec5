// The application shell exists on Windows only (the handset and the desktop);
// elsewhere this file is empty.
#ifdef _WIN32

#include "shell/traced_launch.h"

#include <stdio.h>
#include <string.h>

#include "app/launch_sequence.h"
#include "settings/settings_file.h"
#include "shell/res/version.h"
#include "shell/trace_file.h"
#include "trace/trace_writer.h"

namespace {

const wchar_t kTraceFileName[] = L"posrelay.trace";

#ifdef UNDER_CE
const char* const kSystem = kTraceSystemHandset;
const char kSystemKind[] = " CE";
#else
const char* const kSystem = kTraceSystemDesktop;
const char kSystemKind[] = "";
#endif

// Milliseconds since the run began, from the performance counter where the
// system has one: the tick count moves in steps of up to 16 ms on the
// desktop and under Wine. Differences of the tick count survive its wrap
// after 49 days.
class SystemClock : public TraceClock {
 public:
  SystemClock() : startTicks_(GetTickCount()) {
    precise_ = QueryPerformanceFrequency(&frequency_) && frequency_.QuadPart > 0 &&
               QueryPerformanceCounter(&start_);
  }
  virtual TraceTime ElapsedMs() {
    LARGE_INTEGER now;
    if (precise_ && QueryPerformanceCounter(&now)) {
      return static_cast<TraceTime>((now.QuadPart - start_.QuadPart) * 1000 / frequency_.QuadPart);
    }
    return static_cast<DWORD>(GetTickCount() - startTicks_);
  }

 private:
  DWORD startTicks_;
  bool precise_;
  LARGE_INTEGER frequency_;
  LARGE_INTEGER start_;
};

// The device's local time, as the owner's clock shows it: when the run was.
std::string LocalTimeText() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  char text[24];
  sprintf(text, "%04u-%02u-%02uT%02u:%02u:%02u", now.wYear, now.wMonth, now.wDay, now.wHour,
          now.wMinute, now.wSecond);
  return text;
}

std::string SystemVersionText() {
  OSVERSIONINFOW version;
  memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExW(&version)) return "unknown";
  char text[48];
  sprintf(text, "Windows%s %lu.%02lu build %lu", kSystemKind,
          static_cast<unsigned long>(version.dwMajorVersion),
          static_cast<unsigned long>(version.dwMinorVersion),
          static_cast<unsigned long>(version.dwBuildNumber));
  return text;
}

}  // namespace

void RunLaunchTracedWhenAsked(PlatformServices& platform) {
  // The path is the platform's own answer, asked outside the run so that the
  // run makes the same calls as without a trace.
  TraceFile file;
  if (!file.OpenExisting(PathBesideExecutable(platform.ExecutablePath(), kTraceFileName))) {
    RunLaunchSequence(platform);
    return;
  }
  SystemClock clock;
  TraceOrigin origin;
  origin.system = kSystem;
  origin.launcherVersion = POSRELAY_VERSION_DOTTED;
  origin.build = POSRELAY_BUILD;
  origin.os = SystemVersionText();
  origin.started = LocalTimeText();
  origin.codePage = GetACP();
  RecordRunToTrace(RunLaunchSequence, platform, clock, file, origin);
}

#endif
