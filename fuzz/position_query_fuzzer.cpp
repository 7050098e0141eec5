// A module that answers with fuzzed replies: the query ends within its attempt
// limit, with the port closed once, whatever the module says.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_handset.h"
#include "platform/sim/text_encoding.h"
#include "position/position_query.h"

namespace {

// The position commands written, counted on the record itself: a long query
// makes hundreds of operations, told apart by their first field before any
// name or text is compared.
std::size_t PositionQueries(const TraceRecord& operations) {
  const std::string_view query = "AT@LBC?\r";
  std::size_t queries = 0;
  for (std::size_t i = 0; i < operations.Size(); ++i) {
    const TraceEvent& event = operations.Event(i);
    const TraceField* text = event.fieldCount ? &operations.Field(event, 0) : nullptr;
    // Only the position command has a "?" there, and only a write's op starts with "w".
    queries += text && text->kind == kTraceText && text->textLength == query.size() &&
               operations.TextData(*text)[6] == '?' && event.op[0] == 'w' &&
               std::string_view(operations.TextData(*text), query.size()) == query;
  }
  return queries;
}

}  // namespace

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
  SimulatedHandset& handset = HandsetFor(scenario);
  GeoPosition position = {-1, -1};
  const int found = QueryPosition(handset, L"COM1:", 1000, 1000, position);

  // The module counts as an RX410 when the launcher's one read of its
  // identification shows the name: at most 256 bytes, text up to a zero byte.
  std::wstring name = Cp932ToWide(identification.substr(0, 256));
  name.resize(std::min(name.find(L'\0'), name.size()));
  const bool fast = name.find(L"RX410") != std::wstring::npos;
  const std::size_t queries = PositionQueries(handset.GetTimeline().Operations());
  FUZZ_CHECK(queries >= 1 && queries <= (fast ? 10u : 50u));
  FUZZ_CHECK(found || queries == (fast ? 10u : 50u));
  FUZZ_CHECK(handset.NowMs() <= 2000u + queries * (fast ? 900u : 1000u));
  FUZZ_CHECK(handset.GetTimeline().Count("close_device") == 1);
  FUZZ_CHECK(handset.Ledger().Unreleased().empty());
  FUZZ_CHECK(handset.Ledger().Faults().empty());
  FUZZ_CHECK(found ? position.latitude != -1 : position.latitude == -1);
  return 0;
}
