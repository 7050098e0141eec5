// A module that answers with fuzzed replies: the query ends within its attempt
// limit, with the port closed once, whatever the module says.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "platform/sim/simulated_handset.h"
#include "platform/sim/text_encoding.h"
#include "position/position_query.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Replies are separated by 0xFF bytes; the first is the identification.
  std::vector<std::string> replies(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0xFF) {
      replies.emplace_back();
    } else {
      replies.back() += static_cast<char>(data[i]);
    }
  }
  HandsetScenario scenario;
  scenario.module.identification = replies.front();
  scenario.module.positionReplies.assign(replies.begin() + 1, replies.end());
  SimulatedHandset handset(scenario);
  GeoPosition position = {-1, -1};
  const int found = QueryPosition(handset, L"COM1:", 1000, 1000, position);

  // The module counts as an RX410 when the launcher's one read of its
  // identification shows the name: at most 256 bytes, text up to a zero byte.
  std::wstring identification = Cp932ToWide(replies.front().substr(0, 256));
  identification.resize(std::min(identification.find(L'\0'), identification.size()));
  const bool fast = identification.find(L"RX410") != std::wstring::npos;
  std::size_t queries = 0;
  for (const TimelineEvent* write : handset.GetTimeline().Find("write")) {
    queries += write->Field("text")->text == "AT@LBC?\r";
  }
  FUZZ_CHECK(queries >= 1 && queries <= (fast ? 10u : 50u));
  FUZZ_CHECK(found || queries == (fast ? 10u : 50u));
  FUZZ_CHECK(handset.NowMs() <= 2000u + queries * (fast ? 900u : 1000u));
  FUZZ_CHECK(handset.GetTimeline().Find("close_device").size() == 1);
  FUZZ_CHECK(handset.Ledger().Unreleased().empty());
  FUZZ_CHECK(handset.Ledger().Faults().empty());
  FUZZ_CHECK(found ? position.latitude != -1 : position.latitude == -1);
  return 0;
}
