#include "mapctl/map_application.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>

#include "settings/launcher_settings.h"
#include "simulator/simulated_handset.h"
#include "simulator/text_encoding.h"
#include "tests/handset_trace.h"

namespace {

const GeoPosition kTokyo = {35.69266981057444, 139.75012472663002};
const char kTokyoCommandLine[] = "-URL \"?action=locn&a=@latlon:35.692670,139.750125\"";

LauncherSettings Settings(int wait, int waitloop) {
  LauncherSettings settings;
  SetDefaultSettings(settings);
  settings.wait = wait;
  settings.waitloop = waitloop;
  return settings;
}

TEST(MapWindow, IsFoundByClassAndBroughtToFrontWithItsLowBitSet) {
  EXPECT_STREQ(MapWindowClass, L"GoogleMapsMobile");
  HandsetScenario scenario;
  scenario.map.running = true;
  SimulatedHandset handset(scenario);
  const WindowHandle window = FindMapWindow(handset);
  EXPECT_EQ(window, 0x10000u);
  BringToFront(handset, window);
  EXPECT_EQ(
      handset.GetTimeline().Lines(),
      (std::vector<std::string>{"0 find_window class=\"GoogleMapsMobile\" found=true window=65536",
                                "0 foreground window=65537"}));

  SimulatedHandset empty;
  EXPECT_EQ(FindMapWindow(empty), 0u);
}

TEST(CloseMapApplication, PostsTheCloseRequestAndWaitsForTheWindowToGo) {
  const std::string post = "post:65536:16:0";
  const struct {
    const char* name;
    std::optional<std::uint64_t> closesAfterMs;
    int wait;
    int waitloop;
    MapCloseResult result;
    std::uint64_t totalMs;
    std::string trace;
  } cases[] = {
      {"gone before the first check: two pauses", 0, 4000, 10, kMapClosed, 8000,
       post + " sleep:4000 find:none sleep:4000"},
      {"gone at the second check", 5000, 4000, 10, kMapClosed, 12000,
       post + " sleep:4000 find:65536 sleep:4000 find:none sleep:4000"},
      {"never closes: waitloop + 1 pauses", std::nullopt, 4000, 10, kMapCloseTimedOut, 44000,
       post + " (sleep:4000 find:65536)x10 sleep:4000"},
      {"gone at the last check", 2500, 1000, 3, kMapClosed, 4000,
       post + " sleep:1000 find:65536 sleep:1000 find:65536 sleep:1000 find:none sleep:1000"},
      {"waitloop 0: one pause, then timeout", 0, 4000, 0, kMapCloseTimedOut, 4000,
       post + " sleep:4000"},
      {"negative waitloop is no check", 0, 4000, -3, kMapCloseTimedOut, 4000, post + " sleep:4000"},
      {"negative wait is no pause", std::nullopt, -1, 2, kMapCloseTimedOut, 0,
       post + " sleep:0 find:65536 sleep:0 find:65536 sleep:0"},
  };
  for (const auto& c : cases) {
    HandsetScenario scenario;
    scenario.map.running = true;
    scenario.map.closesAfterMs = c.closesAfterMs;
    SimulatedHandset handset(scenario);
    EXPECT_EQ(CloseMapApplication(handset, 0x10000, Settings(c.wait, c.waitloop)), c.result)
        << c.name;
    EXPECT_EQ(handset.NowMs(), c.totalMs) << c.name;
    EXPECT_EQ(Trace(handset), c.trace) << c.name;
  }
}

TEST(StartMapApplication, StartsTheMapAndWaitsForItsWindow) {
  const std::string start = "start:ok";
  const struct {
    const char* name;
    bool executableExists;
    std::optional<std::uint64_t> appearsAfterMs;
    int waitloop;
    MapStartResult result;
    WindowHandle window;
    std::uint64_t totalMs;
    std::string trace;
  } cases[] = {
      {"window there at the first look-up: no pause", true, 0, 10, kMapStarted, 0x10100, 0,
       start + " find:65792 front:65793"},
      {"window after two pauses", true, 7000, 10, kMapStarted, 0x10100, 8000,
       start + " find:none sleep:4000 find:none sleep:4000 find:65792 front:65793"},
      {"missing executable: no look-up", false, 0, 10, kMapStartFailed, 0, 0, "start:failed"},
      {"no window: a pause after every look-up", true, std::nullopt, 3, kMapStartTimedOut, 0, 12000,
       start + " (find:none sleep:4000)x3"},
      {"waitloop 0: started but no look-up", true, 0, 0, kMapStartTimedOut, 0, 0, start},
  };
  for (const auto& c : cases) {
    HandsetScenario scenario;
    scenario.map.executableExists = c.executableExists;
    scenario.map.appearsAfterMs = c.appearsAfterMs;
    SimulatedHandset handset(scenario);
    WindowHandle window = 0x1234;
    EXPECT_EQ(StartMapApplication(handset, Settings(4000, c.waitloop), L"-x", window), c.result)
        << c.name;
    EXPECT_EQ(window, c.window) << c.name;
    EXPECT_EQ(handset.NowMs(), c.totalMs) << c.name;
    EXPECT_EQ(Trace(handset), c.trace) << c.name;
    ExpectLedgerClean(handset);
  }
}

TEST(StartMapApplication, RunsGpathWithTheCommandLine) {
  SimulatedHandset handset;
  LauncherSettings settings = Settings(4000, 10);
  settings.gpath = L"\\Storage Card\\地図.exe";
  WindowHandle window = 0;
  StartMapApplication(handset, settings, FormatMapCommandLine(kTokyo), window);
  EXPECT_EQ(handset.GetTimeline().Lines({kOpCreateProcess}),
            (std::vector<std::string>{
                "0 create_process exe=\"\\\\Storage Card\\\\地図.exe\" "
                "cmdline=\"-URL \\\"?action=locn&a=@latlon:35.692670,139.750125\\\"\" ok=true"}));
}

TEST(FormatMapCommandLine, CarriesThePositionWithSixDecimals) {
  EXPECT_EQ(WideToUtf8(FormatMapCommandLine(kTokyo)), kTokyoCommandLine);
  const GeoPosition shiftedZero = {0.0046017, 0.01004};
  EXPECT_EQ(WideToUtf8(FormatMapCommandLine(shiftedZero)),
            "-URL \"?action=locn&a=@latlon:0.004602,0.010040\"");
}

// A locale that writes numbers with a decimal comma, when the host has one.
bool UseCommaLocale() {
  for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8",
                           "nl_NL.UTF-8", "ru_RU.UTF-8", "es_ES.UTF-8", "it_IT.UTF-8"}) {
    if (std::setlocale(LC_ALL, name) && std::strcmp(std::localeconv()->decimal_point, ",") == 0) {
      return true;
    }
  }
  return false;
}

TEST(FormatMapCommandLine, KeepsThePointUnderACommaLocale) {
  const std::string original = std::setlocale(LC_ALL, nullptr);
  if (!UseCommaLocale()) {
    std::setlocale(LC_ALL, original.c_str());
    GTEST_SKIP() << "the host has no locale with a decimal comma";
  }
  char printed[32];
  std::snprintf(printed, sizeof printed, "%.6f", kTokyo.latitude);
  const std::string commaLocale = std::setlocale(LC_ALL, nullptr);
  const std::string commandLine = WideToUtf8(FormatMapCommandLine(kTokyo));
  const std::string after = std::setlocale(LC_ALL, nullptr);
  std::setlocale(LC_ALL, original.c_str());

  EXPECT_STREQ(printed, "35,692670") << "the locale really writes a comma";
  EXPECT_EQ(commandLine, kTokyoCommandLine);
  EXPECT_EQ(after, commaLocale) << "formatting must leave the locale alone";
}

}  // namespace
