#include "tools/posrelay_sim/run_time_bounds.h"

#include <algorithm>

namespace {

// Fixed pauses of a run.
const std::uint64_t kFirstLookUpPauseMs = 100;
const std::uint64_t kFastAttemptMs = 100 + 4 * 200;
const std::uint64_t kSlowAttemptMs = 100 + 100 + 4 * 200;
const std::uint64_t kSlowModuleAttempts = 50;
const std::uint64_t kMostHangUps = 10;  // the connection list holds ten
const std::uint64_t kZoomFixedMs = 100 + 100;
const std::uint64_t kKeyPauseMs = 50;
const std::uint64_t kThreePresses = 17;
const std::uint64_t kClearPauseMs = 100;

// Negative pauses are taken as none.
std::uint64_t PauseMs(int milliseconds) {
  return milliseconds < 0 ? 0 : static_cast<std::uint64_t>(milliseconds);
}

std::uint64_t Checks(int waitloop) {
  return waitloop < 0 ? 0 : static_cast<std::uint64_t>(waitloop);
}

// Zoom and clear after a successful probe; the probe itself does not pause.
std::uint64_t ClosingActionsMs(const LauncherSettings& settings) {
  std::uint64_t total = 0;
  if (settings.gzoomtime != 0) {
    const std::uint64_t onePresses =
        settings.gzoomtime > 1 ? static_cast<std::uint64_t>(settings.gzoomtime) - 1 : 0;
    total += kZoomFixedMs + (kThreePresses + onePresses) * kKeyPauseMs;
  }
  if (settings.gclear != 0) total += kClearPauseMs;
  return total;
}

}  // namespace

RunTimeBounds ComputeRunTimeBounds(const LauncherSettings& settings) {
  const std::uint64_t wait = PauseMs(settings.wait);
  const std::uint64_t checks = Checks(settings.waitloop);
  const bool closes = settings.greset == 1;
  const std::uint64_t query =
      PauseMs(settings.wsimcon) + kFastAttemptMs;  // one attempt of an RX410 module
  const std::uint64_t longestQuery = kMostHangUps * PauseMs(settings.wsimdcon) +
                                     PauseMs(settings.wsimcon) +
                                     kSlowModuleAttempts * kSlowAttemptMs;

  RunTimeBounds bounds;
  bounds.shortestMs = kFirstLookUpPauseMs;
  // A running map left alone, or a start whose window is there at the first
  // check, skips every map pause; the probe may fail and skip zoom and clear.
  if (!closes || checks > 0) {
    bounds.shortestNormalEndMs = kFirstLookUpPauseMs + query + PauseMs(settings.waitstart);
  }

  // The close gives up after its first pause and one pause per check; a close
  // that succeeds at the last check costs the same and the run goes on.
  const std::uint64_t closeTimeout = kFirstLookUpPauseMs + wait + checks * wait;
  const std::uint64_t longestClose = closes && checks > 0 ? wait + checks * wait : 0;
  // After the query: a start that times out pauses once per check; one whose
  // window comes at the last check pauses one less and then zooms and
  // clears; a map left running zooms and clears at once.
  std::uint64_t afterQuery = checks * wait;
  if (checks > 0)
    afterQuery = std::max(afterQuery, (checks - 1) * wait + ClosingActionsMs(settings));
  if (!closes) afterQuery = std::max(afterQuery, ClosingActionsMs(settings));
  const std::uint64_t fullRun =
      kFirstLookUpPauseMs + longestClose + longestQuery + PauseMs(settings.waitstart) + afterQuery;
  bounds.longestMs = closes ? std::max(closeTimeout, fullRun) : fullRun;
  return bounds;
}
