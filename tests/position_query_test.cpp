#include "position/position_query.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "position/position_reply.h"
#include "simulator/simulated_handset.h"

namespace {

using Lines = std::vector<std::string>;

const char kTokyoReply[] = "\r\n@LBC: N35.41.22,E139.45.12\r\n\r\nOK\r\n";

struct ReplyCase {
  std::wstring reply;
  bool found;
  DmsAngle latitude;
  DmsAngle longitude;
};

TEST(ParsePositionReply, ReadsSixFieldsAtTheirOffsets) {
  const ReplyCase cases[] = {
      {L"\r\n@LBC: N35.41.22,E139.45.12\r\n\r\nOK\r\n", true, {35, 41, 22}, {139, 45, 12}},
      {L"N35.41.22.45,E139.45.12.33", true, {35, 41, 22}, {139, 45, 12}},
      {L"N35/41/22 E139/45/12", true, {35, 41, 22}, {139, 45, 12}},
      {L"E139.45.12 N35.41.22", true, {35, 41, 22}, {139, 45, 12}},
      {L"N35.41.2,E139.45.1", true, {35, 41, 2}, {139, 45, 1}},
      {L"N\u30005.41.22,E139.45.12", true, {5, 41, 22}, {139, 45, 12}},
      {L"ERROR", false, {}, {}},
      // Both letters, no numbers: not a position.
      {L"NO CARRIER", false, {}, {}},
      {L"\r\nOK\r\n", false, {}, {}},
      {L"", false, {}, {}},
      {L"N35.41.22", false, {}, {}},
      // A field that would start past the end of the reply.
      {L"N35.41.22,E139.45.", false, {}, {}},
      {L"N35.41.", false, {}, {}},
      {L"N35.xx.22,E139.45.12", false, {}, {}},
  };
  for (const ReplyCase& c : cases) {
    DmsAngle latitude = {-1, -1, -1};
    DmsAngle longitude = {-1, -1, -1};
    const std::string text(c.reply.begin(), c.reply.end());
    ASSERT_EQ(ParsePositionReply(c.reply, latitude, longitude), c.found ? 1 : 0) << text;
    const DmsAngle untouched = {-1, -1, -1};
    const DmsAngle& lat = c.found ? c.latitude : untouched;
    const DmsAngle& lon = c.found ? c.longitude : untouched;
    EXPECT_EQ(std::vector<int>({latitude.degrees, latitude.minutes, latitude.seconds,
                                longitude.degrees, longitude.minutes, longitude.seconds}),
              std::vector<int>(
                  {lat.degrees, lat.minutes, lat.seconds, lon.degrees, lon.minutes, lon.seconds}))
        << text;
  }
}

struct Query {
  explicit Query(HandsetScenario scenario) : handset(std::move(scenario)) {
    position = {-1, -1};
    result = QueryPosition(handset, L"COM1:", 1000, 1000, position);
  }
  Lines Writes() const {
    Lines writes;
    const TraceRecord& operations = handset.GetTimeline().Operations();
    for (const TraceEvent* event : handset.GetTimeline().Find(kOpWrite)) {
      writes.push_back(operations.Text(*operations.FindField(*event, "text")));
    }
    return writes;
  }
  SimulatedHandset handset;
  GeoPosition position;
  int result;
};

HandsetScenario Module(std::string identification, std::vector<std::string> replies) {
  HandsetScenario scenario;
  scenario.module.identification = std::move(identification);
  scenario.module.positionReplies = std::move(replies);
  return scenario;
}

void ExpectPortClosedOnce(const SimulatedHandset& handset) {
  EXPECT_EQ(handset.GetTimeline().Find(kOpCloseDevice).size(), 1u);
  EXPECT_TRUE(handset.Ledger().Unreleased().empty());
  EXPECT_TRUE(handset.Ledger().Faults().empty());
}

TEST(QueryPosition, FirstAttemptWithAnRx410Module) {
  Query query(HandsetScenario{});
  EXPECT_EQ(query.result, 1);
  EXPECT_EQ(query.position.latitude, 35.69266981057444);
  EXPECT_EQ(query.position.longitude, 139.75012472663002);
  EXPECT_EQ(
      query.handset.GetTimeline().Lines(
          {kOpRasHangUp, kOpOpenDevice, kOpWrite, kOpRead, kOpSleep, kOpCloseDevice}),
      (Lines{
          "0 ras_hang_up entry=\"CLUB AIR-EDGE\" handle=20496 ok=true",
          "0 sleep ms=1000",
          "1000 open_device name=\"COM1:\" ok=true handle=264",
          "1000 write handle=264 text=\"ATI4\\r\" count=5",
          "1000 read handle=264 capacity=256 text=\"\\r\\nRX410\\r\\n\\r\\nOK\\r\\n\" count=15",
          "1000 write handle=264 text=\"AT@K\\r\" count=5",
          "1000 sleep ms=1000",
          "2000 read handle=264 capacity=256 text=\"\\r\\nOK\\r\\n\" count=6",
          "2000 sleep ms=100",
          "2100 write handle=264 text=\"AT@LBC\\r\" count=7",
          "2100 sleep ms=200",
          "2300 read handle=264 capacity=256 text=\"\\r\\nOK\\r\\n\" count=6",
          "2300 write handle=264 text=\"AT@LBC1\\r\" count=8",
          "2300 sleep ms=200",
          "2500 read handle=264 capacity=256 text=\"\\r\\nOK\\r\\n\" count=6",
          "2500 write handle=264 text=\"AT@LBC?\\r\" count=8",
          "2500 sleep ms=200",
          "2700 read handle=264 capacity=256 text=\"\\r\\n@LBC: "
          "N35.41.22,E139.45.12\\r\\n\\r\\nOK\\r\\n\" count=36",
          "2700 write handle=264 text=\"AT@LBC2\\r\" count=8",
          "2700 sleep ms=200",
          "2900 read handle=264 capacity=256 text=\"\\r\\nOK\\r\\n\" count=6",
          "2900 close_device handle=264",
      }));
  ExpectPortClosedOnce(query.handset);
}

struct TimingCase {
  const char* name;
  std::string identification;
  std::vector<std::string> replies;
  int result;
  int attempts;         // groups of four location commands sent
  std::uint64_t endMs;  // virtual time when the port was closed
};

TEST(QueryPosition, AttemptsAndTheirTimes) {
  const TimingCase cases[] = {
      // 1 s after the hang-up, 1 s after "AT@K", then 900 ms an attempt.
      {"RX410, first attempt", "\r\nRX410\r\n\r\nOK\r\n", {kTokyoReply}, 1, 1, 2900},
      // Any other module, or one that has not answered: 1000 ms an attempt.
      {"other module, first attempt", "\r\nRX300\r\n", {kTokyoReply}, 1, 1, 3000},
      {"no identification, first attempt", "", {kTokyoReply}, 1, 1, 3000},
      {"position in the third attempt",
       "\r\nRX410\r\n",
       {"ERROR", "NO CARRIER", kTokyoReply},
       1,
       3,
       2000 + 3 * 900},
      {"RX410 exhausts 10 attempts", "\r\nRX410\r\n", {"\r\nERROR\r\n"}, 0, 10, 2000 + 10 * 900},
      {"other module exhausts 50 attempts", "", {"\r\nNO CARRIER\r\n"}, 0, 50, 2000 + 50 * 1000},
  };
  for (const TimingCase& c : cases) {
    Query query(Module(c.identification, c.replies));
    EXPECT_EQ(query.result, c.result) << c.name;
    if (c.result) {
      EXPECT_EQ(query.position.latitude, 35.69266981057444) << c.name;
      EXPECT_EQ(query.position.longitude, 139.75012472663002) << c.name;
    } else {
      EXPECT_EQ(query.position.latitude, -1) << c.name << ": position untouched";
      EXPECT_EQ(query.position.longitude, -1) << c.name;
    }
    const Lines writes = query.Writes();
    ASSERT_EQ(writes.size(), 2u + 4u * c.attempts) << c.name;
    EXPECT_EQ(Lines(writes.begin(), writes.begin() + 6),
              (Lines{"ATI4\r", "AT@K\r", "AT@LBC\r", "AT@LBC1\r", "AT@LBC?\r", "AT@LBC2\r"}))
        << c.name;
    EXPECT_EQ(writes.back(), "AT@LBC2\r") << c.name;
    EXPECT_EQ(query.handset.GetTimeline().Find(kOpCloseDevice).at(0)->timeMs, c.endMs) << c.name;
    ExpectPortClosedOnce(query.handset);
  }
}

TEST(QueryPosition, PortThatCannotBeOpenedAfterTheRelease) {
  HandsetScenario scenario;
  scenario.module.portExists = false;
  Query query(scenario);
  EXPECT_EQ(query.result, 0);
  EXPECT_EQ(query.position.latitude, -1);
  EXPECT_EQ(query.handset.GetTimeline().Lines({kOpRasHangUp, kOpOpenDevice, kOpWrite}),
            (Lines{"0 ras_hang_up entry=\"CLUB AIR-EDGE\" handle=20496 ok=true",
                   "1000 open_device name=\"COM1:\" ok=false error=2 handle=0"}));
  EXPECT_TRUE(query.handset.Ledger().Unreleased().empty());
}

TEST(QueryPosition, PausesFromTheSettingsNeverNegative) {
  SimulatedHandset handset;
  GeoPosition position;
  ASSERT_EQ(QueryPosition(handset, L"COM1:", -1, -30000, position), 1);
  EXPECT_EQ(handset.NowMs(), 900u);
}

}  // namespace
