// The application shell exists on Windows only (the handset and the desktop);
// elsewhere this file is empty.
#ifdef _WIN32

#include "app/traced_launch.h"

#include "app/launch_sequence.h"
#include "app/res/version.h"
#include "app/trace_file.h"
#include "app/trace_recorder.h"

namespace {

#ifdef UNDER_CE
const char kSystem[] = "handset";
#else
const char kSystem[] = "desktop";
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

}  // namespace

void RunLaunchTracedWhenAsked(PlatformServices& platform) {
  // The path is the platform's own answer, asked outside the run so that the
  // run makes the same calls as without a trace.
  TraceFile file;
  if (!file.OpenExisting(TracePath(platform.ExecutablePath()))) {
    RunLaunchSequence(platform);
    return;
  }
  SystemClock clock;
  const TraceOrigin origin = {kSystem, POSRELAY_VERSION_DOTTED, GetACP()};
  TraceRecorder recorder(platform, file, clock, origin);
  RunLaunchSequence(recorder);
  recorder.Finish();
}

#endif
