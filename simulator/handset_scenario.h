#ifndef POSRELAY_SIMULATOR_HANDSET_SCENARIO_H
#define POSRELAY_SIMULATOR_HANDSET_SCENARIO_H

#include <cstdint>
#include <optional>
#include <set>
#include <string>
#include <vector>

// Everything the simulated handset is made of. The defaults are a handset on
// which a launch goes well: the map is not running, one "CLUB AIR-EDGE"
// connection is up, an RX410 module reports Tokyo, the internet answers.
// Texts that travel as bytes (file, serial line) are held in the handset's
// ANSI code page, Shift-JIS (932).

struct MapScenario {
  bool running = false;                             // a map window exists at the start
  std::optional<std::uint64_t> closesAfterMs = 0;   // after a close request; nullopt: never
  bool executableExists = true;                     // false: starting the map fails
  std::optional<std::uint64_t> appearsAfterMs = 0;  // after a start; nullopt: never
  // The path of its executable, where a start finds it; nullopt: at every
  // path a file can have, so that whatever the launcher starts is the map.
  std::optional<std::wstring> installedAt;
};

struct ConnectionScenario {
  std::string name = "CLUB AIR-EDGE";
  bool hangUpSucceeds = true;
  std::optional<unsigned int> handle;  // nullopt: a fresh non-zero handle
};

struct ModuleScenario {
  std::wstring port = L"COM1:";
  bool portExists = true;
  std::string identification = "\r\nRX410\r\n\r\nOK\r\n";  // reply to "ATI4"
  // Replies to the first, second, ... "AT@LBC?"; the last one repeats.
  std::vector<std::string> positionReplies = {"\r\n@LBC: N35.41.22,E139.45.12\r\n\r\nOK\r\n"};
};

struct InternetScenario {
  bool opens = true;      // false: the internet handle cannot be had
  bool reachable = true;  // false: the URL does not open
  int bytes = 10;         // what the page yields
};

struct HandsetScenario {
  std::wstring executablePath = L"\\Program Files\\posrelay\\posrelay.exe";
  std::optional<std::string> settingsFile;  // bytes of posrelay.ini beside the executable
  MapScenario map;
  bool rasLibrary = true;
  std::set<std::wstring> missingFunctions;  // names the core library does not export
  std::vector<ConnectionScenario> connections = {ConnectionScenario()};
  ModuleScenario module;
  InternetScenario internet;
  bool registryKeyExists = true;
};

// Window class of the map application the handset runs.
inline constexpr wchar_t kSimulatedMapClass[] = L"GoogleMapsMobile";
// The one registry key the handset has.
inline constexpr wchar_t kSimulatedStatusKey[] = L"Software\\Sharp\\PhoneStatus";

#endif
