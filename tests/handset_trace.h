#ifndef POSRELAY_TESTS_HANDSET_TRACE_H
#define POSRELAY_TESTS_HANDSET_TRACE_H

#include <initializer_list>
#include <string>
#include <string_view>

#include "simulator/simulated_handset.h"

// The four messages as the user reads them, under the executable's name.
inline const std::string kCloseTimeout =
    "posrelay: モバイル Google マップの停止でタイムアウトしました";
inline const std::string kNoPosition = "posrelay: W-SIMからの位置情報取得に失敗しました";
inline const std::string kStartFailed = "posrelay: モバイル Google マップの起動に失敗しました";
inline const std::string kStartTimeout =
    "posrelay: モバイル Google マップの起動でタイムアウトしました";

// The handset's timeline as one line of short words, one per call, so that a
// table row can hold a whole run of the map control:
//   sleep:4000  find:none  find:65536  front:65537  post:65536:16:0
//   start:ok  start:failed  down:3  up:3  pre_key  post_key
//   reg_open:ok  reg_set:Status22=7  reg_close  net_open:ok
//   net_option:6=30000/4  open_url:ok  net_read:10  net_close:url
//   message  quit:0
// Other calls appear under their operation's name. A group of one, two or
// three words (the smallest that fits) that occurs three times or more in a
// row is written once with its count: (sleep:50 down:3 up:3)x17,
// (find:65536 sleep:4000)x10, (read_line)x5.
std::string Trace(const SimulatedHandset& handset);
// The same for the named operations only.
std::string Trace(const SimulatedHandset& handset, std::initializer_list<std::string_view> ops);

// Every handle given out was released once, through the right call.
void ExpectLedgerClean(const SimulatedHandset& handset);

// The run as traces see it: each operation follows the vocabulary; a
// recorder around a twin of the handset writes the dry run's JSON lines
// under its header and changes nothing in the run; played back, the
// operations are identical.
void ExpectTraceAgrees(const SimulatedHandset& handset);

// Trace storage that keeps every byte written to it.
struct TextOutput : TraceOutput {
  int Append(const char* bytes, std::size_t count) override {
    text.append(bytes, count);
    return 1;
  }
  int Flush() override { return 1; }
  std::string text;
};

// The header of the tests' traces: a handset's.
extern const TraceOrigin kHandsetOrigin;

#endif
