// Arbitrary bytes from the module: every read stays within its buffer and the
// parse takes a position only from digits that are there.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_handset.h"
#include "position/position_reply.h"
#include "position/serial_channel.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static HandsetScenario scenario;
  scenario.module.identification.assign(reinterpret_cast<const char*>(data), size);
  SimulatedHandset& handset = HandsetFor(scenario);
  const DeviceHandle port = handset.OpenDevice(L"COM1:");
  SendCommand(handset, port, L"ATI4\r");

  std::size_t total = 0;
  std::wstring reply;
  for (int count; (count = ReadResponse(handset, port, reply)) > 0;) {
    FUZZ_CHECK(count <= kChannelBufferBytes);
    FUZZ_CHECK(reply.size() <= static_cast<std::size_t>(count));
    FUZZ_CHECK(reply.find(L'\0') == std::wstring::npos);
    total += static_cast<std::size_t>(count);
    DmsAngle latitude = {0, 0, 0};
    DmsAngle longitude = {0, 0, 0};
    if (ParsePositionReply(reply, latitude, longitude)) {
      FUZZ_CHECK(reply.find(L'N') != std::wstring::npos);
      FUZZ_CHECK(reply.find(L'E') != std::wstring::npos);
    }
  }
  FUZZ_CHECK(total == size);
  FUZZ_CHECK(reply.empty());
  handset.CloseDevice(port);
  FUZZ_CHECK(handset.Ledger().Unreleased().empty());

  // The same bytes as wide text straight into the parse, with characters
  // beyond any code page.
  std::wstring wide;
  for (std::size_t i = 0; i + 1 < size; i += 2)
    wide += static_cast<wchar_t>(data[i] << 8 | data[i + 1]);
  DmsAngle latitude;
  DmsAngle longitude;
  ParsePositionReply(wide, latitude, longitude);
  return 0;
}
