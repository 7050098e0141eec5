#include "settings/settings_file.h"

#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <optional>
#include <sstream>
#include <string>

#include "simulator/simulated_handset.h"
#include "simulator/text_encoding.h"
#include "tests/test_helpers.h"

namespace {

std::string Describe(const LauncherSettings& s) {
  return "gpath=" + WideToUtf8(s.gpath) + " greset=" + std::to_string(s.greset) +
         " gclear=" + std::to_string(s.gclear) + " wait=" + std::to_string(s.wait) +
         " waitloop=" + std::to_string(s.waitloop) + " waitstart=" + std::to_string(s.waitstart) +
         " wsimdcon=" + std::to_string(s.wsimdcon) + " wsimcon=" + std::to_string(s.wsimcon) +
         " gzoomtime=" + std::to_string(s.gzoomtime) + " comport=" + WideToUtf8(s.comport);
}

LauncherSettings Defaults() {
  LauncherSettings settings;
  SetDefaultSettings(settings);
  return settings;
}

// Reads the given file bytes (or no file) on a simulated handset and checks
// that the file was closed again.
LauncherSettings ReadFrom(std::optional<std::string> file) {
  HandsetScenario scenario;
  scenario.settingsFile = std::move(file);
  SimulatedHandset handset(scenario);
  LauncherSettings settings;
  settings.wait = -1;  // ReadSettings must start from the defaults
  ReadSettings(handset, settings);
  EXPECT_TRUE(handset.Ledger().Unreleased().empty());
  EXPECT_TRUE(handset.Ledger().Faults().empty());
  return settings;
}

struct SettingsCase {
  const char* name;
  std::optional<std::string> file;
  std::function<void(LauncherSettings&)> change;  // applied to the defaults
};

void Unchanged(LauncherSettings&) {}

TEST(ReadSettings, AppliesEachLineAsTheLauncherDoes) {
  // The longest path a 255-byte piece can carry after "gpath=" and before its line feed.
  const std::string gpath248(248, 'p');
  const std::string sjisPath = WideToCp932(L"\\表示\\地図.exe");  // 表 ends in byte 0x5C
  // A path ended by a zero byte, on a line of the given length before its line feed.
  const auto zeroEndedPath = [](std::size_t characters) {
    const std::string text = std::string("gpath=\\a.exe", 12) + '\0';
    return text + std::string(characters - text.size(), 'z') + "\n";
  };
  const SettingsCase cases[] = {
      {"no file", std::nullopt, Unchanged},
      {"empty file", "", Unchanged},
      {"plain number", "gzoomtime=12\n", [](auto& s) { s.gzoomtime = 12; }},
      {"leading blank", "gzoomtime= 12\n", [](auto& s) { s.gzoomtime = 12; }},
      {"leading ideographic space",
       "wait=\x81\x40"
       "500\n",
       [](auto& s) { s.wait = 500; }},
      {"key anywhere in a line", "; wait=100\n", [](auto& s) { s.wait = 100; }},
      {"wait= tested before waitloop=", "waitloop=5 wait=3\n", [](auto& s) { s.wait = 5; }},
      {"waitloop alone", "waitloop=5\n", [](auto& s) { s.waitloop = 5; }},
      {"run of = is one separator", "wait==500\n", [](auto& s) { s.wait = 500; }},
      {"second token of a=b=c", "gclear=7=9\n", [](auto& s) { s.gclear = 7; }},
      {"leading = skipped", "=wait=42\n", [](auto& s) { s.wait = 42; }},
      {"text key", "comport=COM3:\n", [](auto& s) { s.comport = L"COM3:"; }},
      {"path with blanks", "gpath=\\Storage Card\\Maps\\Map.exe\n",
       [](auto& s) { s.gpath = L"\\Storage Card\\Maps\\Map.exe"; }},
      {"path cut at its first =", "gpath=\\a=b.exe\n", [](auto& s) { s.gpath = L"\\a"; }},
      {"later lines win", "wait=100\nwait=200\n", [](auto& s) { s.wait = 200; }},
      {"CRLF file", "wait=100\r\ngpath=\\X.exe\r\ncomport=COM2:\r\n",
       [](auto& s) {
         s.wait = 100;
         s.gpath = L"\\X.exe";
         s.comport = L"COM2:";
       }},
      {"last line without a line feed", "waitstart=30", [](auto& s) { s.waitstart = 30; }},
      {"path on a last line", "gpath=\\a.exe", [](auto& s) { s.gpath = L"\\a.exe"; }},
      {"port on a last line", "comport=COM2:", [](auto& s) { s.comport = L"COM2:"; }},
      {"unparsable number", "wait=abc\n", [](auto& s) { s.wait = 0; }},
      {"number is only a line end", "wait=\n", [](auto& s) { s.wait = 0; }},
      {"nothing after =", "wait=", Unchanged},
      {"text value only a line end", "gpath=\n", Unchanged},
      {"lines without a key", "[posrelay]\n# comment\nWAIT=5\n", Unchanged},
      {"zero byte ends a line", std::string("wait=12\0 34\n", 12), [](auto& s) { s.wait = 12; }},
      {"zero byte ends a text value and its line",
       std::string("gpath=\\a.exe\0comport=COM9:\n", 27), [](auto& s) { s.gpath = L"\\a.exe"; }},
      {"negative pause kept as read", "wsimcon=-5\n", [](auto& s) { s.wsimcon = -5; }},
      {"overflow saturates", "waitloop=99999999999\ngreset=-2147483649\n",
       [](auto& s) {
         s.waitloop = INT_MAX;
         s.greset = INT_MIN;
       }},
      {"longest path taken", "gpath=" + gpath248 + "\n",
       [&](auto& s) { s.gpath = std::wstring(gpath248.begin(), gpath248.end()); }},
      {"storage card path taken",
       "gpath=\\Storage Card\\Program Files\\GoogleMaps\\GoogleMaps.exe\n",
       [](auto& s) { s.gpath = L"\\Storage Card\\Program Files\\GoogleMaps\\GoogleMaps.exe"; }},
      // 254 characters and the line feed fill the piece exactly: the line is
      // whole, so its path, ended by a zero byte, is taken; at 255 characters
      // the piece ends before the line feed, and a path is never taken cut.
      {"zero-ended path on a 253-character line", zeroEndedPath(253),
       [](auto& s) { s.gpath = L"\\a.exe"; }},
      {"zero-ended path on a 254-character line", zeroEndedPath(254),
       [](auto& s) { s.gpath = L"\\a.exe"; }},
      {"zero-ended path on a 255-character line", zeroEndedPath(255), Unchanged},
      // One more character and the piece ends inside the path: never taken cut.
      {"path cut by a piece boundary left alone", "gpath=" + gpath248 + "q\n", Unchanged},
      {"value ended by = before the boundary", "gpath=\\a.exe=" + std::string(300, 'x') + "\n",
       [](auto& s) { s.gpath = L"\\a.exe"; }},
      {"longest port taken", "comport=\\\\.\\COM12345678\n",
       [](auto& s) { s.comport = L"\\\\.\\COM12345678"; }},
      {"overlong port left alone", "comport=\\\\.\\COM123456789\n", Unchanged},
      {"Shift-JIS path", "gpath=" + sjisPath + "\n",
       [](auto& s) { s.gpath = L"\\表示\\地図.exe"; }},
      // 260 bytes before the key: the first 255-byte piece has no key, the
      // rest of the line is a piece of its own and sets wait.
      {"long line in pieces", std::string(260, 'x') + "wait=77\n", [](auto& s) { s.wait = 77; }},
      // The key straddles the piece boundary, so neither piece holds it.
      {"key split by a piece boundary", std::string(252, 'x') + "wait=77\n", Unchanged},
  };
  for (const SettingsCase& c : cases) {
    LauncherSettings expected = Defaults();
    c.change(expected);
    EXPECT_EQ(Describe(ReadFrom(c.file)), Describe(expected)) << c.name;
  }
}

// What ReadSettings tells of each piece: its text, whether the line goes on,
// what it did, its key and the wait it leaves.
class PieceLog : public SettingsReadObserver {
 public:
  void PieceTaken(const std::wstring& piece, bool cut, SettingsLineOutcome outcome, int key,
                  const LauncherSettings& settings) override {
    pieces.push_back(WideToUtf8(piece) + (cut ? "|cut " : "|whole ") + std::to_string(outcome) +
                     " " + WideToUtf8(SettingsKeyName(key)) + " " + std::to_string(settings.wait));
  }
  std::vector<std::string> pieces;
};

TEST(ReadSettings, ReadsTheFileOncePieceByPieceAndClosesIt) {
  HandsetScenario scenario;
  scenario.settingsFile = "wait=1\r\n" + std::string(300, 'y') + "wait=2\n";
  SimulatedHandset handset(scenario);
  LauncherSettings settings;
  PieceLog log;
  ReadSettings(handset, settings, &log);
  EXPECT_EQ(handset.GetTimeline().Lines({kOpOpenFile, kOpCloseFile}),
            (std::vector<std::string>{
                "0 open_file path=\"\\\\Program Files\\\\posrelay\\\\posrelay.ini\" ok=true",
                "0 close_file"}));
  // One piece for the first line, two for the 307-byte one, then the end.
  EXPECT_EQ(handset.GetTimeline().Find(kOpReadLine).size(), 4u);
  EXPECT_EQ(log.pieces, (std::vector<std::string>{
                            "wait=1\n|whole 1 wait 1", std::string(255, 'y') + "|cut 0  1",
                            std::string(45, 'y') + "wait=2\n|whole 1 wait 2"}));
  EXPECT_EQ(settings.wait, 2);
}

TEST(ReadSettings, MissingFileIsOnlyLookedFor) {
  SimulatedHandset handset;
  LauncherSettings settings;
  ReadSettings(handset, settings);
  EXPECT_EQ(
      handset.GetTimeline().Lines(),
      (std::vector<std::string>{
          "0 executable_path path=\"\\\\Program Files\\\\posrelay\\\\posrelay.exe\"",
          "0 open_file path=\"\\\\Program Files\\\\posrelay\\\\posrelay.ini\" ok=false error=2"}));
}

TEST(SettingsPath, LiesBesideTheExecutable) {
  const struct {
    std::wstring executable;
    std::wstring settings;
  } cases[] = {
      {L"\\Program Files\\posrelay\\posrelay.exe", L"\\Program Files\\posrelay\\posrelay.ini"},
      {L"\\posrelay.exe", L"\\posrelay.ini"},
      // A path without any backslash is used whole.
      {L"posrelay.exe", L"posrelay.exe\\posrelay.ini"},
      {L"", L""},
  };
  for (const auto& c : cases) {
    HandsetScenario scenario;
    scenario.executablePath = c.executable;
    SimulatedHandset handset(scenario);
    EXPECT_EQ(WideToUtf8(SettingsPath(handset)), WideToUtf8(c.settings));
  }
}

TEST(ApplySettingsLine, TellsWhatTheLineDid) {
  const struct {
    std::wstring line;
    bool cut;
    SettingsLineOutcome outcome;
    int key;
  } cases[] = {
      {L"wait=5\n", false, kLineApplied, kKeyWait},
      {L"wait=5", true, kLineApplied, kKeyWait},
      {L"gpath=\\a.exe", false, kLineApplied, kKeyGpath},
      {L"gpath=\\a.exe", true, kLineValueTooLong, kKeyGpath},
      {L"gpath=" + std::wstring(259, L'p') + L"\n", false, kLineApplied, kKeyGpath},
      {L"gpath=" + std::wstring(260, L'p') + L"\n", false, kLineValueTooLong, kKeyGpath},
      {L"waitloop=5 wait=3\n", false, kLineApplied, kKeyWait},
      {L"nothing here\n", false, kLineMatchedNoKey, kNoSettingsKey},
      {L"greset", false, kLineMatchedNoKey, kNoSettingsKey},
      {L"gzoomtime=", false, kLineHadNoValue, kKeyGzoomtime},
      {L"comport=\n", false, kLineHadNoValue, kKeyComport},
      {L"comport=COM1234567890123:\n", false, kLineValueTooLong, kKeyComport},
  };
  for (const auto& c : cases) {
    LauncherSettings settings = Defaults();
    int key = 99;
    EXPECT_EQ(ApplySettingsLine(settings, c.line, c.cut, key), c.outcome) << WideToUtf8(c.line);
    EXPECT_EQ(key, c.key) << WideToUtf8(c.line);
  }
  EXPECT_STREQ(SettingsKeyName(kKeyWaitstart), L"waitstart");
}

}  // namespace

namespace {

// The samples shipped with the launcher, English and Japanese (Shift-JIS):
// every note line must be ignored, every setting line must set the key it
// starts with, and the whole file holds the defaults.
TEST(SampleSettingsFile, ReadsAsItsNotesSay) {
  for (const char* name : {"posrelay.ini", "ja/posrelay.ini"}) {
    const std::string bytes = ReadSample(name);
    ASSERT_FALSE(bytes.empty()) << name;
    std::istringstream lines(bytes);
    int count = 0;
    for (std::string line; std::getline(lines, line); ++count) {
      if (!line.empty() && line.back() == '\r') line.pop_back();
      LauncherSettings settings = Defaults();
      int key;
      const SettingsLineOutcome outcome =
          ApplySettingsLine(settings, Cp932ToWide(line + "\n"), false, key);
      if (line.empty() || line[0] == '#') {
        EXPECT_EQ(outcome, kLineMatchedNoKey) << name << ": " << line;
      } else {
        EXPECT_EQ(outcome, kLineApplied) << name << ": " << line;
        EXPECT_EQ(line.find(WideToUtf8(std::wstring(SettingsKeyName(key)) + L"=")), 0u) << line;
      }
    }
    EXPECT_GT(count, 20) << name;
    EXPECT_EQ(Describe(ReadFrom(bytes)), Describe(Defaults())) << name;
  }
}

}  // namespace
