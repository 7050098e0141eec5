// A module that answers with fuzzed replies: the query ends within its attempt
// limit, with the port opened and closed once, whatever the module says.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "position/position_query.h"
#include "simulator/handset_model.h"
#include "simulator/text_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  // Replies are separated by 0xFF bytes; the first is the identification.
  static HandsetScenario scenario;
  std::string& identification = scenario.module.identification;
  std::vector<std::string>& replies = scenario.module.positionReplies;
  identification.clear();
  replies.clear();
  std::string* reply = &identification;
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0xFF) {
      reply = &replies.emplace_back();
    } else {
      *reply += static_cast<char>(data[i]);
    }
  }
  // The query runs on the handset's model alone. Recording its some 700
  // calls would take half of each input's time, and the recorder takes
  // fuzzed replies in the reply and scenario targets.
  static HandsetModel handset;
  handset.Reset(scenario);
  GeoPosition position = {-1, -1};
  const int found = QueryPosition(handset, L"COM1:", 1000, 1000, position);

  // The module counts as an RX410 when the launcher's one read of its
  // identification shows the name: at most 256 bytes, text up to a zero byte.
  std::wstring name = Cp932ToWide(identification.substr(0, 256));
  name.resize(std::min(name.find(L'\0'), name.size()));
  const bool fast = name.find(L"RX410") != std::wstring::npos;
  const std::size_t queries = handset.PositionQueries();
  FUZZ_CHECK(queries >= 1 && queries <= (fast ? 10u : 50u));
  FUZZ_CHECK(found || queries == (fast ? 10u : 50u));
  FUZZ_CHECK(handset.NowMs() <= 2000u + queries * (fast ? 900u : 1000u));
  FUZZ_CHECK(handset.Ledger().Issued(kDeviceHandle) == 1);
  FUZZ_CHECK(handset.Ledger().Unreleased().empty());
  FUZZ_CHECK(handset.Ledger().Faults().empty());
  FUZZ_CHECK(found ? position.latitude != -1 : position.latitude == -1);
  return 0;
}
