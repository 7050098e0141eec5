#include "check/run_time_bounds.h"

#include <algorithm>

#include "app/launch_sequence.h"
#include "mapctl/zoom_and_clear.h"
#include "platform/pause.h"
#include "position/data_connection.h"
#include "position/position_query.h"
#include "settings/settings_file.h"

namespace {

// A configured pause as the launcher takes it, in 64 bits so that sums of
// the largest do not overflow.
std::uint64_t PauseMs(int milliseconds) { return PauseMilliseconds(milliseconds); }

std::uint64_t Checks(int waitloop) {
  return waitloop < 0 ? 0 : static_cast<std::uint64_t>(waitloop);
}

// One attempt of the position query: its pause, then each command's.
std::uint64_t AttemptMs(bool slowModule) {
  return kAttemptPauseMs + (slowModule ? kSlowModuleExtraPauseMs : 0) +
         static_cast<std::uint64_t>(kCommandsPerAttempt) * kReplyPauseMs;
}

// Zoom and clear after a successful probe; the probe itself does not pause.
std::uint64_t ClosingActionsMs(const LauncherSettings& settings) {
  std::uint64_t total = 0;
  if (settings.gzoomtime != 0) {
    const std::uint64_t onePresses =
        settings.gzoomtime > 1 ? static_cast<std::uint64_t>(settings.gzoomtime) - 1 : 0;
    total += 2 * std::uint64_t{kSettlePauseMs} +
             (static_cast<std::uint64_t>(kPressesOfThree) + onePresses) * kKeyPauseMs;
  }
  if (settings.gclear != 0) total += kSettlePauseMs;
  return total;
}

}  // namespace

MapLooks ComputeMapLooks(const LauncherSettings& settings) {
  const std::uint64_t wait = PauseMs(settings.wait);
  const std::uint64_t checks = Checks(settings.waitloop);
  return MapLooks{checks > 0 ? (checks - 1) * wait : 0, checks * wait};
}

void LooksReaching(const LauncherSettings& settings, std::uint64_t ms, int& key,
                   std::uint64_t& value) {
  const std::uint64_t wait = PauseMs(settings.wait);
  const std::uint64_t checks = Checks(settings.waitloop);
  if (checks > 1) {
    key = kKeyWait;
    value = (ms + checks - 2) / (checks - 1);
  } else {
    key = kKeyWaitloop;
    value = (ms + wait - 1) / wait + 1;
  }
}

RunTimeBounds ComputeRunTimeBounds(const LauncherSettings& settings) {
  const std::uint64_t wait = PauseMs(settings.wait);
  const std::uint64_t checks = Checks(settings.waitloop);
  const MapLooks looks = ComputeMapLooks(settings);
  const bool closes = settings.greset == 1;
  // One attempt of a fast module that gives its position at once.
  const std::uint64_t query = PauseMs(settings.wsimcon) + AttemptMs(false);
  // Every listed connection hung up, every attempt of a slow module made.
  const std::uint64_t longestQuery =
      kConnectionListRecords * PauseMs(settings.wsimdcon) + PauseMs(settings.wsimcon) +
      static_cast<std::uint64_t>(PositionAttemptLimit(true)) * AttemptMs(true);

  RunTimeBounds bounds;
  bounds.shortestMs = kFirstLookPauseMs;
  // A running map left alone, or a start whose window is there at the first
  // check, skips every map pause; the probe may fail and skip zoom and clear.
  if (!closes || checks > 0) {
    bounds.shortestNormalEndMs = kFirstLookPauseMs + query + PauseMs(settings.waitstart);
  }

  // The close gives up after its first pause and one pause per check; a close
  // that succeeds at the last check costs the same and the run goes on.
  const std::uint64_t closeTimeout = kFirstLookPauseMs + wait + looks.lastAfterCloseMs;
  const std::uint64_t longestClose = closes && checks > 0 ? wait + looks.lastAfterCloseMs : 0;
  // After the query: a start that times out pauses once per check; one whose
  // window comes at the last check pauses one less and then zooms and
  // clears; a map left running zooms and clears at once.
  std::uint64_t afterQuery = checks > 0 ? looks.lastAfterStartMs + wait : 0;
  if (checks > 0)
    afterQuery = std::max(afterQuery, looks.lastAfterStartMs + ClosingActionsMs(settings));
  if (!closes) afterQuery = std::max(afterQuery, ClosingActionsMs(settings));
  const std::uint64_t fullRun =
      kFirstLookPauseMs + longestClose + longestQuery + PauseMs(settings.waitstart) + afterQuery;
  bounds.longestMs = closes ? std::max(closeTimeout, fullRun) : fullRun;
  return bounds;
}
