#include "position/position_query.h"

#include "platform/pause.h"
#include "position/data_connection.h"
#include "position/datum_conversion.h"
#include "position/position_reply.h"
#include "position/serial_channel.h"

const wchar_t kIdentifyCommand[] = L"ATI4\r";
const wchar_t kAttemptOpeningCommand[] = L"AT@LBC\r";
const wchar_t kPositionCommand[] = L"AT@LBC?\r";
const int kCommandsPerAttempt = 4;
const unsigned int kAttemptPauseMs = 100;
const unsigned int kSlowModuleExtraPauseMs = 100;
const unsigned int kReplyPauseMs = 200;

namespace {

const wchar_t kConnectCommand[] = L"AT@K\r";
// One attempt: all four are sent every time; only the third one's reply
// carries the position.
const wchar_t* const kLocationCommands[kCommandsPerAttempt] = {kAttemptOpeningCommand, L"AT@LBC1\r",
                                                               kPositionCommand, L"AT@LBC2\r"};
enum { kPositionCommandIndex = 2 };

// A module that is not an RX410, or that has not answered yet, gets more
// attempts and more time for each.
const wchar_t kFastModuleName[] = L"RX410";
enum { kFastModuleAttempts = 10, kSlowModuleAttempts = 50 };

// One attempt; returns the reply to the position command.
std::wstring RunAttempt(PlatformServices& platform, DeviceHandle port, bool slowModule,
                        const std::wstring* commands) {
  platform.SleepFor(kAttemptPauseMs);
  if (slowModule) platform.SleepFor(kSlowModuleExtraPauseMs);
  std::wstring kept;
  for (int i = 0; i < kCommandsPerAttempt; ++i) {
    std::wstring reply;
    SendCommand(platform, port, commands[i]);
    platform.SleepFor(kReplyPauseMs);
    ReadResponse(platform, port, reply);
    if (i == kPositionCommandIndex) kept.swap(reply);
  }
  return kept;
}

int AskModuleForPosition(PlatformServices& platform, DeviceHandle port, int connectPauseMs,
                         DmsAngle& latitude, DmsAngle& longitude) {
  std::wstring reply;
  SendCommand(platform, port, kIdentifyCommand);
  ReadResponse(platform, port, reply);
  const bool slowModule = IsSlowModule(reply) != 0;
  const int attempts = PositionAttemptLimit(slowModule);

  SendCommand(platform, port, kConnectCommand);
  Pause(platform, connectPauseMs);
  ReadResponse(platform, port, reply);

  // The commands as strings once, rather than again for each attempt.
  std::wstring commands[kCommandsPerAttempt];
  for (int i = 0; i < kCommandsPerAttempt; ++i) commands[i] = kLocationCommands[i];
  for (int attempt = 0; attempt < attempts; ++attempt) {
    if (ParsePositionReply(RunAttempt(platform, port, slowModule, commands), latitude, longitude)) {
      return 1;
    }
  }
  return 0;
}

}  // namespace

int IsSlowModule(const std::wstring& identification) {
  return identification.find(kFastModuleName) == std::wstring::npos;
}

int PositionAttemptLimit(bool slowModule) {
  return slowModule ? kSlowModuleAttempts : kFastModuleAttempts;
}

int QueryPosition(PlatformServices& platform, const std::wstring& portName, int disconnectPauseMs,
                  int connectPauseMs, GeoPosition& position) {
  ReleaseDataConnection(platform, disconnectPauseMs);
  const DeviceHandle port = platform.OpenDevice(portName);
  if (!port) return 0;
  DmsAngle latitude;
  DmsAngle longitude;
  const int found = AskModuleForPosition(platform, port, connectPauseMs, latitude, longitude);
  platform.CloseDevice(port);
  if (!found) return 0;
  position = TokyoToWgs84(DmsToDegrees(latitude), DmsToDegrees(longitude));
  return 1;
}
