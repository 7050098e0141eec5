#include "tools/posrelay_sim/run_time_bounds.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>

namespace {

TEST(RunTimeBounds, CountsTheLaunchersOwnPauses) {
  const std::uint64_t most = 2147483647;  // INT_MAX
  const struct {
    const char* name;
    std::function<void(LauncherSettings&)> change;
    std::optional<std::uint64_t> shortestNormalEndMs;
    std::uint64_t longestMs;
  } cases[] = {
      // 100 + close (4 s + 10 x 4 s) + 10 hang-ups of 1 s + 1 s + 50 x 1 s
      // + a start that times out after 10 x 4 s.
      {"defaults", [](LauncherSettings&) {}, 2000, 145100},
      // A map left running: no close, no start, zoom 200 + 19 x 50 and clear 100.
      {"map left running, zoom 3 and clear",
       [](LauncherSettings& s) {
         s.greset = 0;
         s.waitloop = 0;
         s.gzoomtime = 3;
         s.gclear = 1;
       },
       2000, 62350},
      // No check: every close and start times out, the longest run is the
      // query that comes after no close.
      {"no checks", [](LauncherSettings& s) { s.waitloop = -3; }, std::nullopt, 61100},
      // With a long wait the close's timeout outlasts every other path.
      {"no checks, long wait",
       [](LauncherSettings& s) {
         s.waitloop = 0;
         s.wait = 100000;
       },
       std::nullopt, 100 + 100000},
      {"negative pauses count as none",
       [](LauncherSettings& s) {
         s.wait = -1;
         s.waitstart = -1;
         s.wsimdcon = -1;
         s.wsimcon = -1;
         s.waitloop = 3;
       },
       1000, 50100},
      // The window at the last check pauses one less than a timeout, then
      // zooms: 9 x 4 s + 200 + 17 x 50 beats 10 x 4 s only with a big zoom.
      {"zoom after the last check", [](LauncherSettings& s) { s.gzoomtime = 100; }, 2000,
       145100 - 4000 + 1050 + 99 * 50},
      {"negative zoom still presses 3",
       [](LauncherSettings& s) {
         s.greset = 0;
         s.waitloop = 0;
         s.gzoomtime = -5;
       },
       2000, 100 + 61000 + 1050},
      {"largest values do not overflow",
       [](LauncherSettings& s) {
         s.wait = INT_MAX;
         s.waitloop = INT_MAX;
         s.wsimdcon = INT_MAX;
         s.wsimcon = INT_MAX;
         s.waitstart = INT_MAX;
         s.gzoomtime = INT_MAX;
       },
       100 + most + 900 + most,
       100 + (most + 1) * most + 11 * most + 50000 + most + (most - 1) * most + 1050 +
           (most - 1) * 50},
  };
  for (const auto& c : cases) {
    LauncherSettings settings;
    SetDefaultSettings(settings);
    c.change(settings);
    const RunTimeBounds bounds = ComputeRunTimeBounds(settings);
    EXPECT_EQ(bounds.shortestMs, 100u) << c.name;
    EXPECT_EQ(bounds.shortestNormalEndMs, c.shortestNormalEndMs) << c.name;
    EXPECT_EQ(bounds.longestMs, c.longestMs) << c.name;
  }
}

}  // namespace
