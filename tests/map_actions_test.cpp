#include <gtest/gtest.h>

#include <climits>
#include <map>
#include <string>

#include "mapctl/connectivity_probe.h"
#include "mapctl/zoom_and_clear.h"
#include "simulator/simulated_handset.h"
#include "tests/handset_trace.h"

namespace {

TEST(ProbeInternet, ReadsUpToTenBytesAndReleasesEveryHandle) {
  const std::string opened = "net_open:ok net_option:6=30000/4";
  const std::string closed = "net_close:url net_close:internet";
  const struct {
    const char* name;
    InternetScenario internet;
    int bytes;
    std::string trace;
    std::vector<FaultScenario> faults = {};
  } cases[] = {
      {"page longer than ten bytes",
       {true, true, 60},
       10,
       opened + " open_url:ok net_read:10 " + closed},
      {"page of three bytes", {true, true, 3}, 3, opened + " open_url:ok net_read:3 " + closed},
      {"page without bytes", {true, true, 0}, 0, opened + " open_url:ok net_read:0 " + closed},
      {"no network: the URL does not open",
       {true, false, 10},
       0,
       opened + " open_url:failed net_close:internet"},
      {"no internet handle", {false, true, 10}, 0, "net_open:failed"},
      {"a read that reports more than asked: ten",
       {true, true, 60},
       10,
       opened + " open_url:ok net_read:15 " + closed,
       {{kProbeReadOverstates, 5, std::nullopt}}},
      {"a read that fails without a count: nothing read",
       {true, true, 60},
       0,
       opened + " open_url:ok net_read:0 " + closed,
       {{kProbeReadFails, std::nullopt, std::nullopt}}},
  };
  for (const auto& c : cases) {
    HandsetScenario scenario;
    scenario.internet = c.internet;
    scenario.faults = c.faults;
    SimulatedHandset handset(scenario);
    EXPECT_EQ(ProbeInternet(handset), c.bytes) << c.name;
    EXPECT_EQ(Trace(handset), c.trace) << c.name;
    EXPECT_EQ(handset.NowMs(), 0u) << c.name;
    ExpectLedgerClean(handset);
  }
}

TEST(ProbeInternet, OpensTheProbePageDirectlyAsPosrelay) {
  SimulatedHandset handset;
  ProbeInternet(handset);
  EXPECT_EQ(handset.GetTimeline().Lines({kOpInternetOpen, kOpOpenUrl}),
            (std::vector<std::string>{
                "0 internet_open agent=\"posrelay\" access=1 ok=true handle=260",
                "0 open_url internet=260 url=\"http://www.example.com/\" ok=true handle=264"}));
}

TEST(ApplyZoomLevel, SetsTheStatusValueThenPressesThreeAndOne) {
  const std::string registry = "reg_open:ok reg_set:Status22=7 reg_close";
  const std::string threes = "sleep:100 pre_key sleep:100 (sleep:50 down:3 up:3)x17";
  const struct {
    const char* name;
    int zoomLevel;
    bool keyExists;
    std::uint64_t totalMs;
    std::string trace;
  } cases[] = {
      {"level 1: no press of 1", 1, true, 1050, registry + " " + threes + " post_key"},
      {"level 5: four presses of 1", 5, true, 1250,
       registry + " " + threes + " (sleep:50 down:1 up:1)x4 post_key"},
      {"level 2: one press of 1", 2, true, 1100,
       registry + " " + threes + " sleep:50 down:1 up:1 post_key"},
      {"level 0", 0, true, 1050, registry + " " + threes + " post_key"},
      {"negative level", -4, true, 1050, registry + " " + threes + " post_key"},
      {"lowest level", INT_MIN, true, 1050, registry + " " + threes + " post_key"},
      {"missing key: nothing written, presses follow", 2, false, 1100,
       "reg_open:failed " + threes + " sleep:50 down:1 up:1 post_key"},
  };
  for (const auto& c : cases) {
    HandsetScenario scenario;
    scenario.registryKeyExists = c.keyExists;
    SimulatedHandset handset(scenario);
    ApplyZoomLevel(handset, c.zoomLevel);
    EXPECT_EQ(Trace(handset), c.trace) << c.name;
    EXPECT_EQ(handset.NowMs(), c.totalMs) << c.name;
    const std::map<std::wstring, unsigned int> written =
        c.keyExists ? std::map<std::wstring, unsigned int>{{L"Status22", 7}}
                    : std::map<std::wstring, unsigned int>{};
    EXPECT_EQ(handset.RegistryValues(), written) << c.name;
    ExpectLedgerClean(handset);
  }
}

TEST(ClearMapView, PostsTheClearCommandAfterAPause) {
  HandsetScenario scenario;
  scenario.map.running = true;
  SimulatedHandset handset(scenario);
  ClearMapView(handset, 0x10000);
  EXPECT_EQ(handset.GetTimeline().Lines(),
            (std::vector<std::string>{
                "0 sleep ms=100",
                "100 post_message window=65536 message=273 wparam=206 lparam=0 ok=true"}));
}

}  // namespace
