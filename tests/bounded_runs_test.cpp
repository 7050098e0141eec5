// Whole runs on generated settings files and handsets: whatever the file says
// and whatever the handset does, a run ends with the quit request, holds no
// handle, shows at most one message, is traced and replayed alike, and takes
// a time within the bounds the settings give.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <iterator>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "app/launch_sequence.h"
#include "check/run_time_bounds.h"
#include "settings/settings_file.h"
#include "simulator/simulated_handset.h"
#include "simulator/text_encoding.h"
#include "tests/handset_trace.h"
#include "tests/test_helpers.h"

namespace {

using Choices = std::vector<std::string>;

// The standard fixes mt19937's sequence but not its distributions', so the
// picks are made here: the same runs on every compiler.
class Picker {
 public:
  explicit Picker(std::uint32_t seed) : engine_(seed) {}
  std::size_t Below(std::size_t count) { return engine_() % count; }
  bool OneIn(std::size_t count) { return Below(count) == 0; }
  const std::string& From(const Choices& choices) { return choices[Below(choices.size())]; }
  std::optional<std::uint64_t> Delay() {
    const std::optional<std::uint64_t> delays[] = {0, 50, 4000, 39999, 1000000, std::nullopt};
    return delays[Below(std::size(delays))];
  }

 private:
  std::mt19937 engine_;
};

// Values the file may give each kind of key. The loops the launcher makes
// stay short here: the handset records every check and every key press.
const Choices kPauses = {"-2147483648", "-99999999999", "-1",  "0",    "1",  "100",   "4000", "",
                         "2147483647",  "99999999999",  "abc", " 250", "+7", "12abc", "-0"};
const Choices kSwitches = {"0", "1", "2", "-1", "2147483647", "-2147483648", "x", ""};
const Choices kWaitloops = {"-2147483648", "-99999999999", "-3", "0",  "1", "2",
                            "3",           "10",           "10", "60", "z", ""};
const Choices kZooms = {"-2147483648", "-99999999999", "-5", "0", "1", "2", "20", "90", "q", ""};
const Choices kPaths = {"\\Program Files\\GoogleMaps\\GoogleMaps.exe",
                        WideToCp932(L"\\Storage Card\\地図\\GoogleMaps.exe"), "",
                        std::string(300, 'p')};
const Choices kPorts = {"COM1:", "COM3:", "", "\\\\.\\COM1:COM1:COM1:"};
// Lines that set no key, or not the one they seem to.
const Choices kOddLines = {"[posrelay]",
                           "Zoom=4",
                           "waitloop=2 wait=30",
                           "no equals sign here",
                           "==",
                           "gzoomtime",
                           std::string(250, 'x') + "waitloop=3",
                           "\xff\xfe\x81",
                           std::string(600, '=')};
const char* const kNumberKeys[] = {"greset",    "gclear",   "wait",    "waitloop",
                                   "waitstart", "wsimdcon", "wsimcon", "gzoomtime"};

std::string NumberValue(Picker& pick, const std::string& key) {
  if (key == "greset" || key == "gclear") return pick.From(kSwitches);
  if (key == "waitloop") return pick.From(kWaitloops);
  if (key == "gzoomtime") return pick.From(kZooms);
  return pick.From(kPauses);
}

// A settings file of keys in any order, some twice, among odd lines, in any
// of the ways a key's line may be written; or no file at all.
std::optional<std::string> GenerateSettingsFile(Picker& pick) {
  if (pick.OneIn(8)) return std::nullopt;
  std::vector<std::string> lines;
  for (const char* key : kNumberKeys) {
    const std::size_t times[] = {0, 1, 1, 2};
    for (std::size_t count = times[pick.Below(4)]; count > 0; --count) {
      lines.push_back(std::string(key) + "=" + NumberValue(pick, key));
    }
  }
  if (!pick.OneIn(3)) lines.push_back("gpath=" + pick.From(kPaths));
  if (!pick.OneIn(3)) lines.push_back("comport=" + pick.From(kPorts));
  for (std::size_t odd = pick.Below(3); odd > 0; --odd) lines.push_back(pick.From(kOddLines));
  for (std::size_t i = lines.size(); i > 1; --i) std::swap(lines[i - 1], lines[pick.Below(i)]);

  const Choices prefixes = {"", "", "; ", " "};
  const Choices ends = {"\n", "\n", "\r\n"};
  std::string file;
  for (const std::string& line : lines) {
    std::string written = pick.From(prefixes) + line;
    if (pick.OneIn(6)) written.insert(written.find('=') + 1, "=");
    file += written + pick.From(ends);
  }
  if (!file.empty() && pick.OneIn(4)) file.pop_back();
  return file;
}

const std::string kGoodReply = "\r\n@LBC: N35.41.22,E139.45.12\r\n\r\nOK\r\n";
const Choices kReplies = {kGoodReply,
                          "\r\nERROR\r\n",
                          "",
                          "NO CARRIER",
                          "N99.99.99,E999.99.99",
                          "\r\n@LBC: N35.41",
                          WideToCp932(L"測位中"),
                          std::string(300, 'N') + "E"};
const Choices kIdentifications = {"\r\nRX410\r\n\r\nOK\r\n", "", "\r\nAX520\r\n\r\nOK\r\n",
                                  std::string(400, 'R')};

HandsetScenario GenerateHandset(Picker& pick) {
  HandsetScenario s;
  s.map.running = pick.OneIn(2);
  s.map.closesAfterMs = pick.Delay();
  s.map.executableExists = !pick.OneIn(8);
  s.map.appearsAfterMs = pick.Delay();
  s.rasLibrary = !pick.OneIn(8);
  if (pick.OneIn(8)) s.missingFunctions = {pick.OneIn(2) ? L"RasHangUp" : L"RasEnumConnections"};
  s.connections.clear();
  const Choices names = {"CLUB AIR-EDGE", "会社", "club air-edge"};
  for (std::size_t count = pick.Below(14); count > 0; --count) {
    ConnectionScenario connection;
    connection.name = pick.From(names);
    connection.hangUpSucceeds = !pick.OneIn(4);
    if (pick.OneIn(8)) connection.handle = 0;
    s.connections.push_back(connection);
  }
  s.module.port = pick.OneIn(8) ? L"COM3:" : L"COM1:";
  s.module.portExists = !pick.OneIn(8);
  s.module.identification = pick.From(kIdentifications);
  s.module.positionReplies.clear();
  for (std::size_t count = 1 + pick.Below(4); count > 0; --count) {
    s.module.positionReplies.push_back(pick.OneIn(3) ? kGoodReply : pick.From(kReplies));
  }
  s.internet.opens = !pick.OneIn(4);
  s.internet.reachable = !pick.OneIn(4);
  s.internet.bytes = pick.OneIn(4) ? 0 : 10;
  s.registryKeyExists = !pick.OneIn(4);
  // A system call that fails or lies, on each of its calls or on one. A
  // conversion is no operation of a trace, so a replay could not lie as the
  // handset did: that fault is left out here.
  for (std::size_t count = pick.OneIn(2) ? 0 : 1 + pick.Below(2); count > 0; --count) {
    FaultScenario fault{static_cast<FaultKind>(pick.Below(kFaultKindCount)), std::nullopt,
                        std::nullopt};
    if (fault.kind == kTextConversionOverlong) continue;
    if (pick.OneIn(2)) fault.value = static_cast<std::int64_t>(pick.Below(300));
    if (pick.OneIn(2)) fault.call = 1 + pick.Below(4);
    s.faults.push_back(fault);
  }
  return s;
}

std::string Describe(const HandsetScenario& s) {
  std::string text = "settings file: " + (s.settingsFile ? "\"" + *s.settingsFile + "\"" : "none");
  text += "\nmap running " + std::to_string(s.map.running) + ", closes after " +
          (s.map.closesAfterMs ? std::to_string(*s.map.closesAfterMs) : "never") +
          ", appears after " +
          (s.map.appearsAfterMs ? std::to_string(*s.map.appearsAfterMs) : "never") + ", exists " +
          std::to_string(s.map.executableExists) + "; " + std::to_string(s.connections.size()) +
          " connections; port exists " + std::to_string(s.module.portExists) + "; " +
          std::to_string(s.module.positionReplies.size()) + " replies";
  for (const FaultScenario& fault : s.faults) {
    text += "; " + std::string(kFaultNames[fault.kind]) +
            (fault.value ? " " + std::to_string(*fault.value) : "") +
            (fault.call ? " on call " + std::to_string(*fault.call) : "");
  }
  return text;
}

TEST(BoundedRuns, EveryRunEndsWithinItsSettingsBounds) {
  const int kRuns = 5000;
  Picker pick(20261207);
  const auto started = std::chrono::steady_clock::now();
  int normalEnds = 0;
  for (int run = 0; run < kRuns && !HasFailure(); ++run) {
    HandsetScenario scenario = GenerateHandset(pick);
    scenario.settingsFile = GenerateSettingsFile(pick);
    SCOPED_TRACE("run " + std::to_string(run) + "\n" + Describe(scenario));
    const RunTimeBounds bounds = ComputeRunTimeBounds(SettingsOf(scenario));

    SimulatedHandset handset(scenario);
    RunLaunchSequence(handset);
    const TraceRecord& operations = handset.GetTimeline().Operations();
    EXPECT_EQ(handset.GetTimeline().Find(kOpQuit).size(), 1u);
    ASSERT_NE(operations.Size(), 0u);
    EXPECT_EQ(operations.Events().back().op, kOpQuit);
    EXPECT_EQ(handset.QuitCode(), 0);
    ExpectLedgerClean(handset);
    EXPECT_LE(handset.Messages().size(), 1u);
    ExpectTraceAgrees(handset);
    EXPECT_GE(handset.NowMs(), bounds.shortestMs);
    EXPECT_LE(handset.NowMs(), bounds.longestMs);
    if (handset.Messages().empty()) {
      ++normalEnds;
      ASSERT_TRUE(bounds.shortestNormalEndMs.has_value());
      EXPECT_GE(handset.NowMs(), *bounds.shortestNormalEndMs);
    }
  }
  const auto elapsed = std::chrono::steady_clock::now() - started;
  std::printf("%d runs, %d normal ends, in %lld ms\n", kRuns, normalEnds,
              static_cast<long long>(
                  std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count()));
  // A generator that stopped varying would make this test prove nothing.
  EXPECT_GT(normalEnds, kRuns / 10);
  EXPECT_LT(normalEnds, kRuns * 9 / 10);
}

}  // namespace
