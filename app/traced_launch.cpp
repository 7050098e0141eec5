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

// Milliseconds since the recorder was made, from the system's tick count,
// which wraps after 49 days: the difference survives the wrap.
class TickClock : public TraceClock {
 public:
  TickClock() : start_(GetTickCount()) {}
  virtual TraceTime ElapsedMs() { return static_cast<DWORD>(GetTickCount() - start_); }

 private:
  DWORD start_;
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
  TickClock clock;
  const TraceOrigin origin = {kSystem, POSRELAY_VERSION_DOTTED, GetACP()};
  TraceRecorder recorder(platform, file, clock, origin);
  RunLaunchSequence(recorder);
  recorder.Finish();
}

#endif
