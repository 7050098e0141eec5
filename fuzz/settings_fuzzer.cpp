// Arbitrary bytes as posrelay.ini: the reader must stay within its fields and
// its result must depend on the bytes alone.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_handset.h"
#include "settings/settings_file.h"

namespace {

LauncherSettings Read(const std::string& bytes) {
  static HandsetScenario scenario;
  scenario.settingsFile = bytes;
  SimulatedHandset& handset = HandsetFor(scenario);
  LauncherSettings settings;
  ReadSettings(handset, settings);
  FUZZ_CHECK(handset.Ledger().Unreleased().empty());
  FUZZ_CHECK(handset.Ledger().Faults().empty());
  FUZZ_CHECK(handset.GetTimeline().Count(kOpOpenFile) == 1);
  FUZZ_CHECK(handset.NowMs() == 0);
  return settings;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const LauncherSettings first = Read(bytes);
  FUZZ_CHECK(first.gpath.size() <= kGpathCapacity);
  FUZZ_CHECK(first.comport.size() <= kComportCapacity);
  FUZZ_CHECK(first.gpath.find(L'\n') == std::wstring::npos);
  FUZZ_CHECK(first.comport.find(L'\n') == std::wstring::npos);

  const LauncherSettings second = Read(bytes);
  FUZZ_CHECK(first.gpath == second.gpath && first.comport == second.comport);
  FUZZ_CHECK(first.greset == second.greset && first.gclear == second.gclear);
  FUZZ_CHECK(first.wait == second.wait && first.waitloop == second.waitloop);
  FUZZ_CHECK(first.waitstart == second.waitstart && first.wsimdcon == second.wsimdcon);
  FUZZ_CHECK(first.wsimcon == second.wsimcon && first.gzoomtime == second.gzoomtime);
  return 0;
}
