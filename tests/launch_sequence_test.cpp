#include "app/launch_sequence.h"

#include <gtest/gtest.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "simulator/simulated_handset.h"
#include "tests/handset_trace.h"

namespace {

using Lines = std::vector<std::string>;

// A module that answers but never with a position: ten attempts of 900 ms
// after the hang-up and connect pauses, 11 s in all. A good query takes 2.9 s.
void NoPosition(HandsetScenario& s) { s.module.positionReplies = {"\r\nERROR\r\n"}; }
void MapRunning(HandsetScenario& s) { s.map.running = true; }

// Runs the launcher once and checks what every run must end with: one quit
// request with code 0 as the last call, every handle released, and a trace
// that records the run as it was and replays identically.
void RunOnce(SimulatedHandset& handset) {
  RunLaunchSequence(handset);
  EXPECT_EQ(handset.QuitCode(), 0);
  EXPECT_EQ(handset.GetTimeline().Find(kOpQuit).size(), 1u);
  EXPECT_EQ(handset.GetTimeline().Operations().Events().back().op, kOpQuit);
  ExpectLedgerClean(handset);
  ExpectTraceAgrees(handset);
}

TEST(RunLaunchSequence, EndsEachRunAsTheSettingsAndTheHandsetDecide) {
  const struct {
    const char* name;
    std::function<void(HandsetScenario&)> setUp;
    std::optional<std::string> message;
    std::uint64_t totalMs;
    std::string trace;  // window, process, port, internet and key calls
  } cases[] = {
      {"map not running, defaults: no close, no probe", [](auto&) {}, std::nullopt, 3000,
       "find:none open_device find:none start:ok find:65792 front:65793 quit:0"},
      {"map running, greset 1: closed, queried, started", MapRunning, std::nullopt, 11000,
       "find:65536 front:65537 post:65536:16:0 find:none open_device find:none start:ok "
       "find:65792 front:65793 quit:0"},
      {"map running, greset 0: left running, not started again",
       [](auto& s) {
         MapRunning(s);
         s.settingsFile = "greset=0\n";
       },
       std::nullopt, 3000, "find:65536 front:65537 open_device find:65536 quit:0"},
      {"map running, greset 2: as 0",
       [](auto& s) {
         MapRunning(s);
         s.settingsFile = "greset=2\n";
       },
       std::nullopt, 3000, "find:65536 front:65537 open_device find:65536 quit:0"},
      {"map running, greset 0, no position: second message",
       [](auto& s) {
         MapRunning(s);
         NoPosition(s);
         s.settingsFile = "greset=0\n";
       },
       kNoPosition, 11100, "find:65536 front:65537 open_device message quit:0"},
      {"waitstart 3000: three more seconds", [](auto& s) { s.settingsFile = "waitstart=3000\n"; },
       std::nullopt, 6000,
       "find:none open_device find:none start:ok find:65792 front:65793 quit:0"},
      {"negative waitstart: no pause", [](auto& s) { s.settingsFile = "waitstart=-3000\n"; },
       std::nullopt, 3000,
       "find:none open_device find:none start:ok find:65792 front:65793 quit:0"},
      {"gzoomtime 3, internet unreachable: no keys, no message",
       [](auto& s) {
         s.settingsFile = "gzoomtime=3\n";
         s.internet.reachable = false;
       },
       std::nullopt, 3000,
       "find:none open_device find:none start:ok find:65792 front:65793 net_open:ok quit:0"},
      {"closed, then no position: the map stays closed",
       [](auto& s) {
         MapRunning(s);
         NoPosition(s);
       },
       kNoPosition, 19100,
       "find:65536 front:65537 post:65536:16:0 find:none open_device message quit:0"},
      {"start failed: third message", [](auto& s) { s.map.executableExists = false; }, kStartFailed,
       3000, "find:none open_device find:none start:failed message quit:0"},
      {"start timeout: fourth message", [](auto& s) { s.map.appearsAfterMs = std::nullopt; },
       kStartTimeout, 43000,
       "find:none open_device find:none start:ok (find:none)x10 message quit:0"},
      {"close timeout: first message, no query",
       [](auto& s) {
         MapRunning(s);
         s.map.closesAfterMs = std::nullopt;
       },
       kCloseTimeout, 44100,
       "find:65536 front:65537 post:65536:16:0 (find:65536)x10 message quit:0"},
      {"close timeout with wait 500 and waitloop 2",
       [](auto& s) {
         MapRunning(s);
         s.map.closesAfterMs = std::nullopt;
         s.settingsFile = "wait=500\nwaitloop=2\n";
       },
       kCloseTimeout, 1600,
       "find:65536 front:65537 post:65536:16:0 find:65536 find:65536 message quit:0"},
      {"zoom and clear on the started map: zoom first",
       [](auto& s) { s.settingsFile = "gzoomtime=2\ngclear=1\n"; }, std::nullopt, 4200,
       "find:none open_device find:none start:ok find:65792 front:65793 net_open:ok "
       "reg_open:ok (down:3 up:3)x17 down:1 up:1 post:65792:273:206 quit:0"},
      {"zoom and clear on the map left running",
       [](auto& s) {
         MapRunning(s);
         s.settingsFile = "greset=0\ngzoomtime=2\ngclear=1\n";
       },
       std::nullopt, 4200,
       "find:65536 front:65537 open_device find:65536 net_open:ok reg_open:ok (down:3 up:3)x17 "
       "down:1 up:1 post:65536:273:206 quit:0"},
      {"clear alone: no registry, no keys", [](auto& s) { s.settingsFile = "gclear=1\n"; },
       std::nullopt, 3100,
       "find:none open_device find:none start:ok find:65792 front:65793 net_open:ok "
       "post:65792:273:206 quit:0"},
      {"clear with the internet unreachable: skipped",
       [](auto& s) {
         s.settingsFile = "gclear=1\n";
         s.internet.opens = false;
       },
       std::nullopt, 3000,
       "find:none open_device find:none start:ok find:65792 front:65793 net_open:failed quit:0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HandsetScenario scenario;
    c.setUp(scenario);
    SimulatedHandset handset(scenario);
    RunOnce(handset);
    EXPECT_EQ(handset.Messages(), c.message ? Lines{*c.message} : Lines{});
    EXPECT_EQ(handset.NowMs(), c.totalMs);
    EXPECT_EQ(
        Trace(handset, {"find_window", "foreground", "post_message", "create_process",
                        "open_device", "internet_open", "registry_open", "key", "message", "quit"}),
        c.trace);
  }
}

TEST(RunLaunchSequence, TitlesItsMessageWithTheExecutableName) {
  const struct {
    std::wstring executable;
    std::string title;
  } cases[] = {
      {L"\\Windows\\地図起動.exe", "地図起動"},
      {L"\\My Documents\\launch.v2.exe", "launch.v2"},
      {L"posrelay", "posrelay"},
      {L"", "posrelay"},
  };
  for (const auto& c : cases) {
    HandsetScenario scenario;
    scenario.executablePath = c.executable;
    scenario.map.executableExists = false;
    SimulatedHandset handset(scenario);
    RunOnce(handset);
    EXPECT_EQ(handset.Messages(), Lines{c.title + ": モバイル Google マップの起動に失敗しました"});
  }
}

// Everything at once: the running map is closed, the module queried, the map
// started three seconds after the second look-up, zoomed and cleared.
TEST(RunLaunchSequence, GoldenRunWithEveryStep) {
  HandsetScenario scenario;
  scenario.map.running = true;
  scenario.map.closesAfterMs = 1000;
  scenario.map.appearsAfterMs = 2000;
  scenario.settingsFile = "waitstart=3000\r\ngzoomtime=3\r\ngclear=1\r\nwait=1500\r\n";
  SimulatedHandset handset(scenario);
  RunOnce(handset);
  EXPECT_EQ(Trace(handset),
            "executable_path open_file (read_line)x5 close_file find:65536 front:65537 sleep:100 "
            // close: the window is gone at the first check
            "post:65536:16:0 sleep:1500 find:none sleep:1500 "
            // query
            "load_library find_function find_function ras_enumerate ras_connection ras_hang_up "
            "sleep:1000 "
            "release_library open_device write read write sleep:1000 read sleep:100 "
            "(write sleep:200 read)x4 close_device "
            // start, three seconds after the second look-up
            "find:none sleep:3000 start:ok find:none sleep:1500 find:none sleep:1500 "
            "find:65792 front:65793 "
            // probe, zoom, clear
            "net_open:ok net_option:6=30000/4 open_url:ok net_read:10 net_close:url "
            "net_close:internet reg_open:ok reg_set:Status22=7 reg_close sleep:100 pre_key "
            "sleep:100 (sleep:50 down:3 up:3)x17 sleep:50 down:1 up:1 sleep:50 down:1 up:1 "
            "post_key sleep:100 "
            "post:65792:273:206 quit:0");
  EXPECT_EQ(handset.NowMs(), 100u + 3000 + 2900 + 3000 + 3000 + 200 + 17 * 50 + 2 * 50 + 100);
  EXPECT_EQ(handset.GetTimeline().Lines({kOpCreateProcess}),
            Lines{"9000 create_process exe=\"\\\\Program Files\\\\GoogleMaps\\\\GoogleMaps.exe\" "
                  "cmdline=\"-URL \\\"?action=locn&a=@latlon:35.692670,139.750125\\\"\" ok=true"});
  EXPECT_TRUE(handset.Messages().empty());
}

}  // namespace
