#include "position/serial_channel.h"

#include <gtest/gtest.h>

#include <string>

#include "position/position_query.h"
#include "simulator/simulated_handset.h"
#include "simulator/text_encoding.h"
#include "trace/run_outcome.h"

namespace {

// A handset whose module answers "ATI4" with the given bytes.
struct ChannelScene {
  explicit ChannelScene(std::string identification)
      : handset([&] {
          HandsetScenario scenario;
          scenario.module.identification = std::move(identification);
          return scenario;
        }()),
        port(handset.OpenDevice(L"COM1:")) {}
  ~ChannelScene() {
    handset.CloseDevice(port);
    EXPECT_TRUE(handset.Ledger().Unreleased().empty());
    EXPECT_TRUE(handset.Ledger().Faults().empty());
  }
  SimulatedHandset handset;
  DeviceHandle port;
};

TEST(SendCommand, WritesOneByteACharacter) {
  ChannelScene scene("");
  EXPECT_EQ(SendCommand(scene.handset, scene.port, L"ATI4\r"), 5);
  EXPECT_EQ(scene.handset.GetTimeline().Lines({kOpWrite}),
            std::vector<std::string>{"0 write handle=260 text=\"ATI4\\r\" count=5"});
}

// The text of the last operation the handset recorded.
const TraceField& LastText(const SimulatedHandset& handset) {
  const TraceRecord& operations = handset.GetTimeline().Operations();
  return *operations.FindField(operations.Event(operations.Size() - 1), "text");
}

TEST(SendCommand, IsKnownInATraceByItsWholeText) {
  const struct {
    const wchar_t* sent;
    bool positionCommand;
  } cases[] = {{kPositionCommand, true},       {L"AT@LBC?", false}, {L"AT@LBC?\r\r", false},
               {L"AT@LBC!\r", false},          {L"", false},        {kIdentifyCommand, false},
               {kAttemptOpeningCommand, false}};
  for (const auto& c : cases) {
    ChannelScene scene("");
    SendCommand(scene.handset, scene.port, c.sent);
    const TraceRecord& operations = scene.handset.GetTimeline().Operations();
    EXPECT_EQ(RecordedCommandIs(operations, LastText(scene.handset), kPositionCommand) != 0,
              c.positionCommand)
        << WideToUtf8(c.sent);
  }
}

TEST(ReadResponse, TurnsOneReadIntoText) {
  const std::string sjis = WideToCp932(L"位置");
  const struct {
    const char* name;
    std::string bytes;
    std::wstring reply;
    int count;
  } cases[] = {
      {"nothing arrived", "", L"", 0},
      {"one byte", "K", L"K", 1},
      // U+0080 in Windows' code page 932, no character in the host's: either way
      // the trace gives back what the launcher read.
      {"byte 0x80", "\x80", Cp932ToWide("\x80"), 1},
      {"plain reply", "\r\nRX410\r\n", L"\r\nRX410\r\n", 9},
      {"zero byte ends the text", std::string("AB\0CD", 5), L"AB", 5},
      {"double-byte characters", sjis, L"位置", 4},
      {"full buffer gives 256 characters", std::string(256, 'x'), std::wstring(256, L'x'), 256},
      {"longer reply: first 256 bytes", std::string(300, 'y'), std::wstring(256, L'y'), 256},
  };
  for (const auto& c : cases) {
    ChannelScene scene(c.bytes);
    SendCommand(scene.handset, scene.port, L"ATI4\r");
    std::wstring reply = L"left over";
    EXPECT_EQ(ReadResponse(scene.handset, scene.port, reply), c.count) << c.name;
    EXPECT_EQ(WideToUtf8(reply), WideToUtf8(c.reply)) << c.name;
    // A trace of the read gives the tools the reply the launcher read.
    std::wstring recorded;
    RecordedReply(scene.handset.GetTimeline().Operations(), LastText(scene.handset), recorded);
    EXPECT_EQ(WideToUtf8(recorded), WideToUtf8(c.reply)) << c.name;
  }
}

TEST(ReadResponse, LeavesTheRestOfALongReplyForTheNextRead) {
  ChannelScene scene(std::string(300, 'z'));
  SendCommand(scene.handset, scene.port, L"ATI4\r");
  std::wstring reply;
  ReadResponse(scene.handset, scene.port, reply);
  EXPECT_EQ(ReadResponse(scene.handset, scene.port, reply), 44);
  EXPECT_EQ(reply, std::wstring(44, L'z'));
  EXPECT_EQ(ReadResponse(scene.handset, scene.port, reply), 0);
  EXPECT_EQ(reply, L"");
}

TEST(ReadResponse, FailedReadOnAClosedPortIsAnEmptyReply) {
  SimulatedHandset handset;
  std::wstring reply = L"old";
  EXPECT_EQ(ReadResponse(handset, 0x999, reply), 0);
  EXPECT_EQ(reply, L"");
}

}  // namespace
