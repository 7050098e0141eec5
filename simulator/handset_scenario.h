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

// A platform call that fails or lies, as a driver may. `value` tunes the
// fault (the default when absent is given with each); `call` limits it to
// the operation's n-th call, counted from 1; without it every call is
// faulty.
enum FaultKind {
  kSerialReadFails,          // the read returns -1
  kSerialReadNothing,        // the read returns 0; what has arrived waits
  kSerialReadOverstates,     // the count is `value` (1) more than the bytes given
  kSerialReadZeroByte,       // byte `value` (0) of those given is a zero
  kSerialWriteShort,         // only `value` (all but one) bytes go out, and so many are reported
  kSerialWriteFails,         // the write returns -1; nothing goes out
  kTextConversionOverlong,   // code-page text comes back with `value` (1) extra characters
  kConnectionListFails,      // the list is filled, yet 603 comes back with `value` (all) as count
  kConnectionListMiscounts,  // the list succeeds, reporting `value` connections whatever it filled
  kProbeReadOverstates,      // the page's read reports `value` (1) bytes more than asked
  kProbeReadFails,           // the page's read fails and leaves the count as it was
  kMapWindowVanishes,        // the map's window is gone at the next look after one that finds it
  kProcessWithoutHandle,     // the start reports success with a zero handle: nothing runs
  kFaultKindCount
};

// The faults by their names in a scenario, in the order of FaultKind.
inline constexpr const char* kFaultNames[] = {
    "serialReadFails",        "serialReadNothing",   "serialReadOverstates",
    "serialReadZeroByte",     "serialWriteShort",    "serialWriteFails",
    "textConversionOverlong", "connectionListFails", "connectionListMiscounts",
    "probeReadOverstates",    "probeReadFails",      "mapWindowVanishes",
    "processWithoutHandle"};

struct FaultScenario {
  FaultKind kind;
  std::optional<std::int64_t> value;
  std::optional<std::uint64_t> call;
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
  std::vector<FaultScenario> faults;
};

// Window class of the map application the handset runs.
inline constexpr wchar_t kSimulatedMapClass[] = L"GoogleMapsMobile";
// The one registry key the handset has.
inline constexpr wchar_t kSimulatedStatusKey[] = L"Software\\Sharp\\PhoneStatus";

#endif
