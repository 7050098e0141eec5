#include "check/run_time_bounds.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <string>

#include "app/launch_sequence.h"
#include "position/data_connection.h"
#include "position/position_query.h"
#include "settings/settings_file.h"
#include "simulator/simulated_handset.h"
#include "tests/test_helpers.h"

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

// The longest position query: every connection the launcher lists is hung
// up, and a module that has not answered its identification gives its
// position at its last attempt only.
void TakeLongestQuery(HandsetScenario& s) {
  s.connections.assign(kConnectionListRecords, ConnectionScenario());
  s.module.identification = "";
  const std::string position = s.module.positionReplies.front();
  s.module.positionReplies.assign(PositionAttemptLimit(true) - 1, "\r\nERROR\r\n");
  s.module.positionReplies.push_back(position);
}

// The bounds are reached: on a handset made to lead the launcher down its
// quickest or its longest way, the dry run lasts the bound to the
// millisecond. A pause, a limit or a loop of the launcher that the bounds
// count otherwise shows here, whichever way it changes.
TEST(RunTimeBounds, AreWhatTheExtremeRunsTake) {
  enum Bound { kShortest, kShortestNormalEnd, kLongest };
  const struct {
    const char* name;
    std::string settingsFile;
    std::function<void(HandsetScenario&)> make;
    Bound bound;
    bool endsNormally;
  } cases[] = {
      {"the port does not open", "",
       [](HandsetScenario& s) {
         s.connections.clear();
         s.module.portExists = false;
       },
       kShortest, false},
      {"one attempt, the window at the first check", "wsimcon=250\nwaitstart=30\n",
       [](HandsetScenario& s) { s.connections.clear(); }, kShortestNormalEnd, true},
      {"closed and shown at the last checks, every attempt, zoom and clear",
       "wait=100\nwaitloop=3\nwsimdcon=20\nwsimcon=30\nwaitstart=40\ngzoomtime=5\ngclear=1\n",
       [](HandsetScenario& s) {
         s.map.running = true;
         s.map.closesAfterMs = 300;
         s.map.appearsAfterMs = 200;
         TakeLongestQuery(s);
       },
       kLongest, true},
      {"closed at the last check, every attempt, the start times out",
       "wait=100\nwaitloop=3\nwsimdcon=20\nwsimcon=30\nwaitstart=40\n",
       [](HandsetScenario& s) {
         s.map.running = true;
         s.map.closesAfterMs = 300;
         s.map.appearsAfterMs = std::nullopt;
         TakeLongestQuery(s);
       },
       kLongest, false},
      {"the close times out", "wait=100000\nwaitloop=0\n",
       [](HandsetScenario& s) {
         s.map.running = true;
         s.map.closesAfterMs = std::nullopt;
       },
       kLongest, false},
      {"map left running, every attempt, zoom and clear, a negative pause",
       "greset=0\nwaitloop=0\nwsimdcon=20\nwsimcon=30\nwaitstart=-40\ngzoomtime=2\ngclear=1\n",
       [](HandsetScenario& s) {
         s.map.running = true;
         TakeLongestQuery(s);
       },
       kLongest, true},
  };
  for (const auto& c : cases) {
    HandsetScenario scenario;
    scenario.settingsFile = c.settingsFile;
    c.make(scenario);
    const RunTimeBounds bounds = ComputeRunTimeBounds(SettingsOf(scenario));
    const std::optional<std::uint64_t> bound[] = {bounds.shortestMs, bounds.shortestNormalEndMs,
                                                  bounds.longestMs};
    SimulatedHandset handset(scenario);
    RunLaunchSequence(handset);
    EXPECT_EQ(handset.Messages().empty(), c.endsNormally) << c.name;
    EXPECT_EQ(std::optional<std::uint64_t>(handset.NowMs()), bound[c.bound]) << c.name;
  }
}

// The last looks for the map's window are when the launcher makes them: a
// map whose window comes or goes at that moment is seen, one a millisecond
// later is not; the change LooksReaching offers makes the last look after
// a start come no sooner than asked, and no later than it must.
TEST(RunTimeBounds, LastLooksAreWhenTheLauncherLooks) {
  const char* const cases[] = {"wait=100\nwaitloop=3\n", "wait=555\nwaitloop=10\n",
                               "wait=4000\nwaitloop=1\n", "wait=7\nwaitloop=2\n"};
  for (const char* settingsFile : cases) {
    HandsetScenario scenario;
    scenario.settingsFile = settingsFile;
    scenario.connections.clear();
    const LauncherSettings settings = SettingsOf(scenario);
    const MapLooks looks = ComputeMapLooks(settings);
    for (std::uint64_t late = 0; late < 2; ++late) {
      HandsetScenario starting = scenario;
      starting.map.appearsAfterMs = looks.lastAfterStartMs + late;
      HandsetScenario closing = scenario;
      closing.map.running = true;
      closing.map.closesAfterMs = looks.lastAfterCloseMs + late;
      for (const HandsetScenario& run : {starting, closing}) {
        SimulatedHandset handset(run);
        RunLaunchSequence(handset);
        EXPECT_EQ(handset.Messages().empty(), late == 0) << settingsFile << late;
      }
    }
    int key = kNoSettingsKey;
    std::uint64_t value = 0;
    LooksReaching(settings, 5000, key, value);
    LauncherSettings changed = settings;
    *NumericSettingsField(changed, key) = static_cast<int>(value);
    EXPECT_GE(ComputeMapLooks(changed).lastAfterStartMs, 5000u) << settingsFile;
    *NumericSettingsField(changed, key) = static_cast<int>(value - 1);
    EXPECT_LT(ComputeMapLooks(changed).lastAfterStartMs, 5000u) << settingsFile;
  }
}

}  // namespace
