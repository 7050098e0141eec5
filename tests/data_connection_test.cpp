#include "position/data_connection.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/ras_connection.h"
#include "simulator/simulated_handset.h"

namespace {

using Lines = std::vector<std::string>;

const std::string kLoad = "0 load_library name=\"coredll.dll\" ok=true";
const std::string kFindEnumerate = "0 find_function name=\"RasEnumConnections\" ok=true";
const std::string kFindHangUp = "0 find_function name=\"RasHangUp\" ok=true";

ConnectionScenario Connection(std::string name, bool hangUpSucceeds = true,
                              std::optional<unsigned int> handle = std::nullopt) {
  return ConnectionScenario{std::move(name), hangUpSucceeds, handle};
}

struct ReleaseCase {
  const char* name;
  std::vector<ConnectionScenario> connections;
  int pauseMs;
  Lines expected;  // after the library and its two functions were found
};

TEST(ReleaseDataConnection, HangsUpTheModulesConnection) {
  const ReleaseCase cases[] = {
      {"no connection", {}, 1000, {"0 ras_enumerate size=52 buffer=520 count=0 result=0"}},
      {"single connection hung up whatever its name",
       {Connection("Office")},
       1000,
       {"0 ras_enumerate size=52 buffer=520 count=1 result=0",
        "0 ras_connection entry=\"Office\" handle=20496",
        "0 ras_hang_up entry=\"Office\" handle=20496 ok=true", "0 sleep ms=1000"}},
      {"single failed hang-up: no pause",
       {Connection("CLUB AIR-EDGE", false)},
       1000,
       {"0 ras_enumerate size=52 buffer=520 count=1 result=0",
        "0 ras_connection entry=\"CLUB AIR-EDGE\" handle=20496",
        "0 ras_hang_up entry=\"CLUB AIR-EDGE\" handle=20496 ok=false error=668"}},
      {"single connection without a handle is left alone",
       {Connection("CLUB AIR-EDGE", true, 0)},
       1000,
       {"0 ras_enumerate size=52 buffer=520 count=1 result=0",
        "0 ras_connection entry=\"CLUB AIR-EDGE\" handle=0"}},
      {"first and third of three",
       {Connection("CLUB AIR-EDGE"), Connection("Office"), Connection("CLUB AIR-EDGE")},
       700,
       {"0 ras_enumerate size=52 buffer=520 count=3 result=0",
        "0 ras_connection entry=\"CLUB AIR-EDGE\" handle=20496",
        "0 ras_connection entry=\"Office\" handle=20512",
        "0 ras_connection entry=\"CLUB AIR-EDGE\" handle=20528",
        "0 ras_hang_up entry=\"CLUB AIR-EDGE\" handle=20496 ok=true", "0 sleep ms=700",
        "700 ras_hang_up entry=\"CLUB AIR-EDGE\" handle=20528 ok=true", "700 sleep ms=700"}},
      {"failed hang-up ends the walk",
       {Connection("CLUB AIR-EDGE", false), Connection("CLUB AIR-EDGE")},
       1000,
       {"0 ras_enumerate size=52 buffer=520 count=2 result=0",
        "0 ras_connection entry=\"CLUB AIR-EDGE\" handle=20496",
        "0 ras_connection entry=\"CLUB AIR-EDGE\" handle=20512",
        "0 ras_hang_up entry=\"CLUB AIR-EDGE\" handle=20496 ok=false error=668"}},
      {"zero handle ends the walk",
       {Connection("CLUB AIR-EDGE", true, 0), Connection("CLUB AIR-EDGE")},
       1000,
       {"0 ras_enumerate size=52 buffer=520 count=2 result=0",
        "0 ras_connection entry=\"CLUB AIR-EDGE\" handle=0",
        "0 ras_connection entry=\"CLUB AIR-EDGE\" handle=20512"}},
      {"names compared exactly",
       {Connection("club air-edge"), Connection("CLUB AIR-EDGE2"), Connection("CLUB AIR-EDG")},
       1000,
       {"0 ras_enumerate size=52 buffer=520 count=3 result=0",
        "0 ras_connection entry=\"club air-edge\" handle=20496",
        "0 ras_connection entry=\"CLUB AIR-EDGE2\" handle=20512",
        "0 ras_connection entry=\"CLUB AIR-EDG\" handle=20528"}},
      {"a name that differs in its first character",
       {Connection("DLUB AIR-EDGE"), Connection("Office")},
       1000,
       {"0 ras_enumerate size=52 buffer=520 count=2 result=0",
        "0 ras_connection entry=\"DLUB AIR-EDGE\" handle=20496",
        "0 ras_connection entry=\"Office\" handle=20512"}},
      // The ten-record list is too small: the system refuses to fill it.
      {"eleven connections",
       std::vector<ConnectionScenario>(11, Connection("CLUB AIR-EDGE")),
       1000,
       {"0 ras_enumerate size=52 buffer=520 count=0 result=603"}},
      {"no pause configured",
       {Connection("Office")},
       0,
       {"0 ras_enumerate size=52 buffer=520 count=1 result=0",
        "0 ras_connection entry=\"Office\" handle=20496",
        "0 ras_hang_up entry=\"Office\" handle=20496 ok=true", "0 sleep ms=0"}},
      {"negative pause taken as none",
       {Connection("Office")},
       -5,
       {"0 ras_enumerate size=52 buffer=520 count=1 result=0",
        "0 ras_connection entry=\"Office\" handle=20496",
        "0 ras_hang_up entry=\"Office\" handle=20496 ok=true", "0 sleep ms=0"}},
  };
  for (const ReleaseCase& c : cases) {
    HandsetScenario scenario;
    scenario.connections = c.connections;
    SimulatedHandset handset(scenario);
    ReleaseDataConnection(handset, c.pauseMs);
    Lines expected = {kLoad, kFindEnumerate, kFindHangUp};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    expected.push_back(std::to_string(handset.NowMs()) + " release_library");
    EXPECT_EQ(handset.GetTimeline().Lines(), expected) << c.name;
    EXPECT_TRUE(handset.Ledger().Unreleased().empty()) << c.name;
    EXPECT_TRUE(handset.Ledger().Faults().empty()) << c.name;
  }
}

TEST(ReleaseDataConnection, DoesNothingWithoutTheDialUpFunctions) {
  HandsetScenario noLibrary;
  noLibrary.rasLibrary = false;
  HandsetScenario noHangUp;
  noHangUp.missingFunctions = {L"RasHangUp"};
  HandsetScenario noEnumerate;
  noEnumerate.missingFunctions = {L"RasEnumConnections"};

  SimulatedHandset withoutLibrary(noLibrary);
  ReleaseDataConnection(withoutLibrary, 1000);
  EXPECT_EQ(withoutLibrary.GetTimeline().Lines(),
            Lines{"0 load_library name=\"coredll.dll\" ok=false error=126"});

  for (const HandsetScenario& scenario : {noHangUp, noEnumerate}) {
    SimulatedHandset handset(scenario);
    ReleaseDataConnection(handset, 1000);
    EXPECT_TRUE(handset.GetTimeline().Find(kOpRasEnumerate).empty());
    EXPECT_TRUE(handset.GetTimeline().Find(kOpRasHangUp).empty());
    EXPECT_EQ(handset.GetTimeline().Lines({kOpReleaseLibrary}), Lines{"0 release_library"});
    EXPECT_TRUE(handset.Ledger().Unreleased().empty());
  }
}

// The list the launcher hands to RasEnumConnections, as it stands at the call.
std::vector<unsigned char> handedList;
RasEnumConnectionsFunction handsetEnumerate = nullptr;

unsigned int POSRELAY_WINAPI EnumerateSeeingTheList(RasConnectionRecord* records,
                                                    unsigned int* bufferBytes,
                                                    unsigned int* connectionCount) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(records);
  handedList.assign(bytes, bytes + *bufferBytes);
  return handsetEnumerate(records, bufferBytes, connectionCount);
}

class HandsetSeeingTheList : public SimulatedHandset {
 public:
  using SimulatedHandset::SimulatedHandset;
  LibraryFunction FindFunction(LibraryHandle library, const std::wstring& name) override {
    const LibraryFunction found = SimulatedHandset::FindFunction(library, name);
    if (name != L"RasEnumConnections" || !found) return found;
    handsetEnumerate = reinterpret_cast<RasEnumConnectionsFunction>(found);
    return reinterpret_cast<LibraryFunction>(&EnumerateSeeingTheList);
  }
};

// The system reads the first record's size and may read the rest: nothing
// else in the list may be left to chance.
TEST(ReleaseDataConnection, HandsTheSystemAZeroedListWithItsSize) {
  HandsetScenario scenario;
  scenario.connections = {Connection("Office")};
  HandsetSeeingTheList handset(scenario);
  ReleaseDataConnection(handset, 0);
  std::vector<unsigned char> expected(kConnectionListRecords * kRasConnectionRecordBytes, 0);
  const unsigned int size = kRasConnectionRecordBytes;
  std::memcpy(expected.data(), &size, sizeof size);
  EXPECT_EQ(handedList, expected);
  EXPECT_EQ(handset.GetTimeline().Find(kOpRasHangUp).size(), 1u);
}

}  // namespace
