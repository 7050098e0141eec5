// Whole runs on a handset whose system calls fail or lie as drivers do: the
// launcher reads nothing past its buffers, waits within its bounds, and ends
// with the message the failure calls for, or none.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/launch_sequence.h"
#include "simulator/simulated_handset.h"
#include "tests/handset_trace.h"

namespace {

using Lines = std::vector<std::string>;

// A fault on every call of its operation, or on the n-th.
FaultScenario Fault(FaultKind kind, std::optional<std::int64_t> value = std::nullopt,
                    std::optional<std::uint64_t> call = std::nullopt) {
  return FaultScenario{kind, value, call};
}

std::vector<ConnectionScenario> Connections(std::size_t count) {
  return std::vector<ConnectionScenario>(count, ConnectionScenario());
}

// The default handset, faults aside.
void Keep(HandsetScenario&) {}

std::string Repeated(const std::string& text, std::size_t times) {
  std::string repeated;
  while (times-- > 0) repeated += text;
  return repeated;
}

// Whether `wanted` are lines of `lines`, in their order.
bool InOrder(const Lines& lines, const Lines& wanted) {
  auto at = lines.begin();
  for (const std::string& line : wanted) {
    at = std::find(at, lines.end(), line);
    if (at == lines.end()) return false;
    ++at;
  }
  return true;
}

TEST(FaultyHandset, EachRunEndsAsTheFaultCallsFor) {
  const struct {
    const char* name;
    std::vector<FaultScenario> faults;
    std::function<void(HandsetScenario&)> setUp;
    std::optional<std::string> message;
    std::uint64_t totalMs;
    Lines keyLines;  // in their order, among the run's
  } cases[] = {
      // The module's replies lost: the identification too, so the launcher
      // gives a slow module its 50 attempts.
      {"serial read fails",
       {Fault(kSerialReadFails)},
       Keep,
       kNoPosition,
       52100,
       {"1100 read handle=264 capacity=256 text=\"\" count=-1"}},
      {"serial read gives nothing",
       {Fault(kSerialReadNothing)},
       Keep,
       kNoPosition,
       52100,
       {"1100 read handle=264 capacity=256 text=\"\" count=0"}},
      {"serial read says 300 bytes more than it gave",
       {Fault(kSerialReadOverstates, 300)},
       Keep,
       std::nullopt,
       3000,
       {"1100 read handle=264 capacity=256 text=\"\\r\\nRX410\\r\\n\\r\\nOK\\r\\n" +
            Repeated("\\x00", 241) + "\" count=315",
        "3000 foreground window=65793"}},
      {"serial reads with a zero byte inside",
       {Fault(kSerialReadZeroByte, 4)},
       Keep,
       kNoPosition,
       52100,
       {"1100 read handle=264 capacity=256 text=\"\\r\\nRX\\x0010\\r\\n\\r\\nOK\\r\\n\" count=15"}},
      {"serial write sends all but one byte",
       {Fault(kSerialWriteShort)},
       Keep,
       kNoPosition,
       52100,
       {"1100 write handle=264 text=\"ATI4\\r\" count=4"}},
      {"serial write fails",
       {Fault(kSerialWriteFails)},
       Keep,
       kNoPosition,
       52100,
       {"1100 write handle=264 text=\"ATI4\\r\" count=-1"}},
      {"code-page text longer than its bytes",
       {Fault(kTextConversionOverlong, 5)},
       Keep,
       std::nullopt,
       3000,
       {"3000 foreground window=65793"}},
      // Each hang-up is followed by the wsimdcon pause of 1000 ms.
      {"connection list fails with a count",
       {Fault(kConnectionListFails, 2)},
       [](auto& s) { s.connections = Connections(2); },
       std::nullopt,
       2000,
       {"100 ras_enumerate size=52 buffer=520 count=0 result=603", "100 release_library"}},
      {"connection list reports 11 of 10",
       {Fault(kConnectionListMiscounts, 11)},
       [](auto& s) { s.connections = Connections(10); },
       std::nullopt,
       12000,
       {"100 ras_enumerate size=52 buffer=520 count=11 result=0",
        "9100 ras_hang_up entry=\"CLUB AIR-EDGE\" handle=20640 ok=true", "10100 release_library"}},
      {"connection list reports 2 of 3",
       {Fault(kConnectionListMiscounts, 2)},
       [](auto& s) { s.connections = Connections(3); },
       std::nullopt,
       4000,
       {"1100 ras_hang_up entry=\"CLUB AIR-EDGE\" handle=20512 ok=true", "2100 release_library"}},
      {"more connections than the list holds",
       {},
       [](auto& s) { s.connections = Connections(11); },
       std::nullopt,
       2000,
       {"100 ras_enumerate size=52 buffer=520 count=0 result=603", "100 release_library"}},
      {"exactly ten connections",
       {},
       [](auto& s) { s.connections = Connections(10); },
       std::nullopt,
       12000,
       {"9100 ras_hang_up entry=\"CLUB AIR-EDGE\" handle=20640 ok=true", "10100 release_library"}},
      {"probe read says more than asked",
       {Fault(kProbeReadOverstates, 20)},
       [](auto& s) { s.settingsFile = "gzoomtime=2\n"; },
       std::nullopt,
       4100,
       {"3000 internet_read handle=276 asked=10 bytes=30 ok=true", "3100 pre_key"}},
      {"no dial-up library",
       {},
       [](auto& s) { s.rasLibrary = false; },
       std::nullopt,
       2000,
       {"100 load_library name=\"coredll.dll\" ok=false error=126"}},
      {"no RasHangUp",
       {},
       [](auto& s) { s.missingFunctions = {L"RasHangUp"}; },
       std::nullopt,
       2000,
       {"100 find_function name=\"RasHangUp\" ok=false", "100 release_library"}},
      {"status key cannot be opened",
       {},
       [](auto& s) {
         s.registryKeyExists = false;
         s.settingsFile = "gzoomtime=2\n";
       },
       std::nullopt,
       4100,
       {"3000 registry_open path=\"Software\\\\Sharp\\\\PhoneStatus\" ok=false error=2",
        "3100 pre_key"}},
      {"running map found, gone at the next look",
       {Fault(kMapWindowVanishes, std::nullopt, 1)},
       [](auto& s) { s.map.running = true; },
       std::nullopt,
       11000,
       {"100 post_message window=65536 message=16 wparam=0 lparam=0 ok=false",
        "4100 find_window class=\"GoogleMapsMobile\" found=false window=0",
        "11000 foreground window=65793"}},
      {"running map left running, gone at the next look",
       {Fault(kMapWindowVanishes, std::nullopt, 1)},
       [](auto& s) {
         s.map.running = true;
         s.settingsFile = "greset=0\n";
       },
       std::nullopt,
       3000,
       {"3000 find_window class=\"GoogleMapsMobile\" found=false window=0",
        "3000 foreground window=65793"}},
      {"map started with a zero handle",
       {Fault(kProcessWithoutHandle)},
       Keep,
       kStartTimeout,
       43000,
       {"39000 find_window class=\"GoogleMapsMobile\" found=false window=0"}},
  };
  for (const auto& c : cases) {
    HandsetScenario scenario;
    scenario.faults = c.faults;
    c.setUp(scenario);
    SimulatedHandset handset(scenario);
    RunLaunchSequence(handset);
    const Lines lines = handset.GetTimeline().Lines();
    EXPECT_EQ(handset.Messages(), c.message ? Lines{*c.message} : Lines{}) << c.name;
    EXPECT_EQ(handset.NowMs(), c.totalMs) << c.name;
    EXPECT_TRUE(InOrder(lines, c.keyLines)) << c.name;
    EXPECT_EQ(handset.QuitCode(), 0) << c.name;
    EXPECT_EQ(handset.GetTimeline().Operations().Events().back().op, kOpQuit) << c.name;
    ExpectLedgerClean(handset);
    ExpectTraceAgrees(handset);
  }
}

}  // namespace
