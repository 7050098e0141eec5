// The simulated handset is the ground every other test stands on, so its
// model of the handset is checked here.
#include "simulator/simulated_handset.h"

#include <gtest/gtest.h>

#include <cstring>

#include "simulator/text_encoding.h"

namespace {

TEST(SimulatedHandset, OnlySleepingMovesTheClock) {
  SimulatedHandset handset;
  handset.FindTopWindow(L"GoogleMapsMobile");
  handset.SleepFor(100);
  handset.SleepFor(4000);
  handset.RequestQuit(0);
  EXPECT_EQ(handset.NowMs(), 4100u);
  EXPECT_EQ(
      handset.GetTimeline().Lines(),
      (std::vector<std::string>{"0 find_window class=\"GoogleMapsMobile\" found=false window=0",
                                "0 sleep ms=100", "100 sleep ms=4000", "4100 quit code=0"}));
  EXPECT_EQ(handset.QuitCode(), 0);
  EXPECT_EQ(handset.GetTimeline().Count(kOpSleep), 2u);
}

TEST(SimulatedHandset, MapWindowVanishesAfterTheCloseRequest) {
  HandsetScenario scenario;
  scenario.map.running = true;
  scenario.map.closesAfterMs = 300;
  SimulatedHandset handset(scenario);
  const WindowHandle window = handset.FindTopWindow(kSimulatedMapClass);
  ASSERT_NE(window, 0u);
  EXPECT_EQ(handset.PostWindowMessage(window, 16, 0, 0), 1);
  handset.SleepFor(299);
  EXPECT_EQ(handset.FindTopWindow(kSimulatedMapClass), window);
  handset.SleepFor(1);
  EXPECT_EQ(handset.FindTopWindow(kSimulatedMapClass), 0u);
  EXPECT_EQ(handset.PostWindowMessage(window, 273, 206, 0), 0);
}

TEST(SimulatedHandset, MapThatNeverCloses) {
  HandsetScenario scenario;
  scenario.map.running = true;
  scenario.map.closesAfterMs = std::nullopt;
  SimulatedHandset handset(scenario);
  const WindowHandle window = handset.FindTopWindow(kSimulatedMapClass);
  handset.PostWindowMessage(window, 16, 0, 0);
  handset.SleepFor(1000000);
  EXPECT_EQ(handset.FindTopWindow(kSimulatedMapClass), window);
}

TEST(SimulatedHandset, StartedMapShowsItsWindowLater) {
  HandsetScenario scenario;
  scenario.map.appearsAfterMs = 500;
  SimulatedHandset handset(scenario);
  EXPECT_EQ(handset.StartProcess(L"\\map.exe", L"-x"), 1);
  EXPECT_EQ(handset.FindTopWindow(kSimulatedMapClass), 0u);
  handset.SleepFor(500);
  EXPECT_NE(handset.FindTopWindow(kSimulatedMapClass), 0u);

  scenario.map.executableExists = false;
  SimulatedHandset missing(scenario);
  EXPECT_EQ(missing.StartProcess(L"\\map.exe", L"-x"), 0);
  missing.SleepFor(500);
  EXPECT_EQ(missing.FindTopWindow(kSimulatedMapClass), 0u);
}

// A map installed at one path starts from the paths that name its file.
TEST(SimulatedHandset, StartsNothingFromAPathNoFileCanHave) {
  const wchar_t* const anywhere = nullptr;
  const wchar_t* const map = L"\\Program Files\\GoogleMaps\\GoogleMaps.exe";
  const struct {
    const wchar_t* path;
    const wchar_t* installedAt;
    int started;
  } cases[] = {
      {L"\\Storage Card\\地図\\Map (1).exe", anywhere, 1},
      {L"/Program Files/map.exe", anywhere, 1},
      {L"\"\\Program Files\\map.exe\"", anywhere, 0},
      {L"C:\\map.exe", anywhere, 0},
      {L"\\map?.exe", anywhere, 0},
      {L"\\map.exe\r", anywhere, 0},
      {L"\\a|b<c>*.exe", anywhere, 0},
      {L"\\program files\\googlemaps\\GOOGLEMAPS.EXE", map, 1},
      {L"Program Files/GoogleMaps/GoogleMaps.exe  ", map, 1},
      {L"\\Program Files\\GoogleMaps\\GoogleMaps.exe\u3000", map, 0},
      {L"\\Program Files\\GoogleMaps\\GoogleMaps\uFF0Eexe", map, 0},
      {L"\\Storage Card\\GoogleMaps.exe", map, 0},
  };
  for (const auto& c : cases) {
    HandsetScenario scenario;
    if (c.installedAt) scenario.map.installedAt = c.installedAt;
    SimulatedHandset handset(scenario);
    EXPECT_EQ(handset.StartProcess(c.path, L"-x"), c.started) << WideToUtf8(c.path);
    EXPECT_EQ(handset.FindTopWindow(kSimulatedMapClass) != 0, c.started == 1);
  }
}

// posrelay.ini lies in the executable's folder, and paths not from the root
// are taken from it, as the handset's file system takes them.
TEST(SimulatedHandset, OpensTheSettingsFileWhereTheFileSystemHasIt) {
  const struct {
    const wchar_t* executable;
    const wchar_t* path;
    bool opens;
  } cases[] = {
      {L"\\Program Files\\posrelay\\posrelay.exe", L"\\Program Files\\posrelay\\posrelay.ini",
       true},
      {L"\\Program Files\\posrelay\\posrelay.exe", L"Program Files\\posrelay\\posrelay.ini", true},
      {L"\\Program Files\\posrelay\\posrelay.exe", L"\\Program Files\\posrelay.ini", false},
      {L"\\Program Files\\posrelay\\posrelay.exe", L"\\Program Files\\posrelay\\posrelay.exe",
       false},
      {L"\\posrelay.exe", L"posrelay.ini", true},
      {L"posrelay.exe", L"\\posrelay.ini", true},
      // The launcher's path beside an executable named without a folder.
      {L"posrelay.exe", L"posrelay.exe\\posrelay.ini", false},
      {L"", L"\\posrelay.ini", true},
  };
  for (const auto& c : cases) {
    HandsetScenario scenario;
    scenario.executablePath = c.executable;
    scenario.settingsFile = "wait=5\n";
    SimulatedHandset handset(scenario);
    const FileHandle file = handset.OpenTextFile(c.path);
    EXPECT_EQ(file != 0, c.opens) << WideToUtf8(c.executable) << " " << WideToUtf8(c.path);
    if (file) handset.CloseTextFile(file);
    EXPECT_EQ(handset.LastError(), c.opens ? 0u : 2u) << WideToUtf8(c.path);
  }
}

TEST(SimulatedHandset, ModuleAnswersEachCommandAndRepeatsItsLastPosition) {
  HandsetScenario scenario;
  scenario.module.positionReplies = {"ERROR", "N1"};
  SimulatedHandset handset(scenario);
  EXPECT_EQ(handset.OpenDevice(L"COM2:"), 0u);
  const DeviceHandle port = handset.OpenDevice(L"COM1:");
  ASSERT_NE(port, 0u);
  EXPECT_EQ(handset.OpenDevice(L"COM1:"), 0u) << "the port is not shared";
  char buffer[64];
  std::string replies;
  for (const char* command : {"AT@LBC?\r", "AT@K\r", "AT@LBC?\r", "AT@LBC?\r"}) {
    handset.WriteDevice(port, command, static_cast<int>(std::strlen(command)));
    replies += std::string(buffer, handset.ReadDevice(port, buffer, sizeof buffer)) + "|";
  }
  EXPECT_EQ(replies, "ERROR|\r\nOK\r\n|N1|N1|");
  handset.CloseDevice(port);
  EXPECT_TRUE(handset.Ledger().Unreleased().empty());
}

TEST(SimulatedHandset, LedgerCatchesDoubleAndMismatchedReleases) {
  HandsetScenario scenario;
  scenario.settingsFile = "";
  SimulatedHandset handset(scenario);
  const FileHandle file = handset.OpenTextFile(L"\\Program Files\\posrelay\\posrelay.ini");
  const LibraryHandle library = handset.OpenLibrary(L"coredll.dll");
  EXPECT_EQ(handset.Ledger().Unreleased().size(), 2u);
  handset.CloseTextFile(file);
  handset.CloseTextFile(file);
  EXPECT_EQ(handset.Ledger().Issued(kFileHandle), 1u) << "a double release issues nothing";
  handset.CloseDevice(library);
  EXPECT_EQ(handset.Ledger().Faults().size(), 2u);
  handset.ReleaseLibrary(library);
  EXPECT_TRUE(handset.Ledger().Unreleased().empty());

  handset.Reset(scenario);
  EXPECT_TRUE(handset.Ledger().Faults().empty());
  EXPECT_EQ(handset.OpenTextFile(L"\\Program Files\\posrelay\\posrelay.ini"), file)
      << "a reset handset gives out handles as a new one does";
  EXPECT_EQ(handset.Ledger().Issued(kFileHandle), 1u);
  EXPECT_EQ(handset.Ledger().Issued(kLibraryHandle), 0u);
}

TEST(SimulatedHandset, CoreLibraryServesItsConnections) {
  HandsetScenario scenario;
  scenario.connections = {{"CLUB AIR-EDGE", true, std::nullopt}, {"Office", false, 0x77}};
  SimulatedHandset handset(scenario);
  const LibraryHandle library = handset.OpenLibrary(L"coredll.dll");
  auto enumerate = reinterpret_cast<RasEnumConnectionsFunction>(
      handset.FindFunction(library, L"RasEnumConnections"));
  auto hangUp = reinterpret_cast<RasHangUpFunction>(handset.FindFunction(library, L"RasHangUp"));
  ASSERT_TRUE(enumerate && hangUp);
  EXPECT_EQ(handset.FindFunction(library, L"RasDial"), nullptr);

  RasConnectionRecord records[10] = {};
  records[0].size = 52;
  unsigned int bytes = 52, count = 0;
  EXPECT_EQ(enumerate(records, &bytes, &count), 603u) << "buffer too small";
  bytes = sizeof records;
  ASSERT_EQ(enumerate(records, &bytes, &count), 0u);
  ASSERT_EQ(count, 2u);
  EXPECT_EQ(records[1].connection, 0x77u);
  EXPECT_EQ(records[1].entryName[0], 'O');
  EXPECT_EQ(hangUp(reinterpret_cast<void*>(std::uintptr_t{records[1].connection})), 668u);
  EXPECT_EQ(hangUp(reinterpret_cast<void*>(std::uintptr_t{records[0].connection})), 0u);
  ASSERT_EQ(enumerate(records, &bytes, &count), 0u);
  EXPECT_EQ(count, 1u);
  handset.ReleaseLibrary(library);
}

TEST(SimulatedHandset, InternetYieldsAtMostWhatThePageHas) {
  HandsetScenario scenario;
  scenario.internet.bytes = 3;
  SimulatedHandset handset(scenario);
  const InternetHandle internet = handset.OpenInternet(L"posrelay", 1);
  const InternetHandle url = handset.OpenInternetUrl(internet, L"http://www.example.com/");
  char buffer[10];
  unsigned int read = 0;
  handset.ReadInternetFile(url, buffer, 10, read);
  EXPECT_EQ(read, 3u);
  handset.CloseInternetHandle(url);
  handset.CloseInternetHandle(internet);
  EXPECT_TRUE(handset.Ledger().Unreleased().empty());
  EXPECT_TRUE(handset.Ledger().Faults().empty());
}

// ASCII is copied as it is; beside a Japanese character the same byte or
// character goes through the code page's table or iconv, and must come out
// alike.
TEST(TextEncoding, AsciiComesOutAsTheConversionsGiveIt) {
  for (int c = 0; c < 0x80; ++c) {
    const std::string ascii(1, static_cast<char>(c));
    const std::wstring wide(1, static_cast<wchar_t>(c));
    EXPECT_EQ(Cp932ToWide(ascii + "\x82\xA0"), Cp932ToWide(ascii) + L"\x3042") << c;
    EXPECT_EQ(WideToCp932(wide + L"\x3042"), WideToCp932(wide) + "\x82\xA0") << c;
    EXPECT_EQ(WideToUtf8(wide + L"\x3042"), WideToUtf8(wide) + "\xE3\x81\x82") << c;
    std::wstring throughIconv, alone;
    EXPECT_TRUE(Utf8ToWide(ascii + "\xE3\x81\x82", throughIconv) && Utf8ToWide(ascii, alone));
    EXPECT_EQ(throughIconv, alone + L"\x3042") << c;
  }
}

// Code page 932 as Windows has it: the NEC and IBM extensions, the symbols
// it reads otherwise than JIS (0x8160 is U+FF5E, not U+301C), Windows' bytes
// where several read as one character, and bytes that are no character.
// Every code is compared with Python's codec by cp932/readings.
TEST(TextEncoding, Cp932ReadsAndWritesAsWindows) {
  const struct {
    const char* name;
    std::string bytes;
    std::wstring text;
  } readings[] = {
      {"circled digit one, NEC row 13", "\x87\x40", L"\x2460"},
      {"wave dash", "\x81\x60", L"\xFF5E"},
      {"minus sign", "\x81\x7C", L"\xFF0D"},
      {"parallel to", "\x81\x61", L"\x2225"},
      {"not sign", "\x81\xCA", L"\xFFE2"},
      {"parenthesised kabu", "\x87\x8A", L"\x3231"},
      {"small roman numeral one, IBM extensions", "\xFA\x40", L"\x2170"},
      {"the same, NEC-selected IBM extensions", "\xEE\xEF", L"\x2170"},
      {"user-defined area", "\xF0\x40\xF9\xFC", L"\xE000\xE757"},
      {"halfwidth katakana", "\xB1", L"\xFF71"},
      {"single bytes no other code page reads", "\x80\xA0\xFD\xFF", L"\x0080\xF8F0\xF8F1\xF8F3"},
      {"a pair the code page leaves unassigned is one character", "\x85\x40", L"\x30FB"},
      {"a lead byte and a byte no pair ends with are one character",
       "\x81\x20"
       "A",
       L"\x30FB"
       L"A"},
      {"a lead byte at the end", "A\x81", L"A\x30FB"},
      {"a lead byte before a zero byte", std::string("\x81\0A", 3), std::wstring(L"\x30FB\0A", 3)},
  };
  for (const auto& c : readings) {
    EXPECT_EQ(WideToUtf8(Cp932ToWide(c.bytes)), WideToUtf8(c.text)) << c.name;
  }
  const struct {
    const char* name;
    std::wstring text;
    std::string bytes;
  } writings[] = {
      {"JIS X 0208 before NEC row 13 and the IBM extensions", L"\xFFE2\x2235", "\x81\xCA\x81\xE6"},
      {"NEC row 13 before the IBM extensions", L"\x2160\x3231", "\x87\x54\x87\x8A"},
      {"IBM extensions before the NEC-selected ones", L"\x2170\x5FB7", "\xFA\x40\xFA\xBA"},
      {"JIS's cent sign, as its fullwidth form", L"\x00A2", "\x81\x91"},
      {"JIS's wave dash, double vertical line and minus sign", L"\x301C\x2016\x2212", "???"},
      {"user-defined area", L"\xE000\xE757", "\xF0\x40\xF9\xFC"},
      {"no character of the code page", L"\xAC00", "?"},
  };
  for (const auto& c : writings) EXPECT_EQ(WideToCp932(c.text), c.bytes) << c.name;
}

}  // namespace
