#include "position/serial_channel.h"

#include <gtest/gtest.h>

#include <string>

#include "position/position_query.h"
#include "simulator/simulated_handset.h"
#include "simulator/text_encoding.h"
#include "trace/run_outcome.h"

namespace {

// A handset whose module answers "ATI4" with the given bytes, through a
// serial driver with the given faults.
struct ChannelScene {
  explicit ChannelScene(std::string identification, std::vector<FaultScenario> faults = {})
      : handset([&] {
          HandsetScenario scenario;
          scenario.module.identification = std::move(identification);
          scenario.faults = std::move(faults);
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

TEST(SendCommand, WritesOneByteACharacterAndNoMoreThanItsBuffer) {
  const struct {
    const char* name;
    std::wstring command;
    int count;
    std::vector<FaultScenario> faults = {};
  } cases[] = {
      {"a command", L"ATI4\r", 5},
      {"longer than the buffer: its first 256 bytes", std::wstring(300, L'A'), 256},
      {"the port takes three bytes", L"ATI4\r", 3, {{kSerialWriteShort, 3, std::nullopt}}},
      {"the write fails", L"ATI4\r", -1, {{kSerialWriteFails, std::nullopt, std::nullopt}}},
  };
  for (const auto& c : cases) {
    ChannelScene scene("", c.faults);
    EXPECT_EQ(SendCommand(scene.handset, scene.port, c.command), c.count) << c.name;
  }
  ChannelScene scene("");
  SendCommand(scene.handset, scene.port, L"ATI4\r");
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
    std::vector<FaultScenario> faults = {};
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
      // Drivers that misbehave: only the bytes within the buffer and the
      // count count, and a failure is no count.
      {"read fails with -1", "OK", L"", 0, {{kSerialReadFails, std::nullopt, std::nullopt}}},
      {"count of 300 for a full buffer",
       std::string(300, 'y'),
       std::wstring(256, L'y'),
       256,
       {{kSerialReadOverstates, 44, std::nullopt}}},
      {"count of 3 with nothing given: the cleared buffer",
       "",
       L"",
       3,
       {{kSerialReadOverstates, 3, std::nullopt}}},
      {"more characters than bytes from the conversion",
       "OK",
       L"OK",
       2,
       {{kTextConversionOverlong, 3, std::nullopt}}},
  };
  for (const auto& c : cases) {
    ChannelScene scene(c.bytes, c.faults);
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
