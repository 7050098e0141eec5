// Writing a trace never changes the run: whatever the storage does, the
// launcher makes the same calls; the trace is written out only where the
// launcher waits anyway, is on storage before a message box appears, and
// stays within its bound with its beginning, its last part and its end.
#include "trace/trace_recorder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "app/launch_sequence.h"
#include "simulator/simulated_handset.h"
#include "tests/handset_trace.h"
#include "tests/test_helpers.h"
#include "trace/trace_writer.h"

namespace {

// Storage that fills up after a number of bytes, or whose flush fails.
struct Storage : TraceOutput {
  Storage(const SimulatedHandset& handset, std::size_t room, bool flushFails)
      : handset(handset), room(room), flushFails(flushFails) {}
  int Append(const char* bytes, std::size_t count) override {
    callsAfterFailure += failed;
    if (failed || text.size() + count > room) return Fail();
    text.append(bytes, count);
    return 1;
  }
  int Flush() override {
    callsAfterFailure += failed;
    flushes.push_back({LastLine(text), handset.GetTimeline().Operations().Size()});
    return flushFails ? Fail() : 1;
  }
  int Fail() {
    failed = true;
    return 0;
  }
  struct Flushed {
    std::string lastLine;
    std::size_t handsetOperations;  // what the handset had done by then
  };
  const SimulatedHandset& handset;
  std::size_t room;
  bool flushFails;
  bool failed = false;
  int callsAfterFailure = 0;
  std::string text;
  std::vector<Flushed> flushes;
};

std::string JsonLines(const SimulatedHandset& handset) {
  const TraceRecord& operations = handset.GetTimeline().Operations();
  std::string lines;
  for (std::size_t i = 0; i < operations.Size(); ++i) {
    AppendTraceLine(operations, operations.Event(i), lines);
  }
  return lines;
}

TEST(TraceRecorder, NeverChangesTheRunAndKeepsItsTraceWithinItsBound) {
  const std::size_t kAll = SIZE_MAX;
  const struct {
    const char* name;
    const char* settings;
    bool mapMissing;   // the run ends with a message
    std::size_t room;  // bytes the storage takes
    bool flushFails;
    const char* lastLine;  // the start of the trace's last line; null: no trace
  } cases[] = {
      {"the whole trace", "", false, kAll, false,
       "{\"t\":3000,\"op\":\"end\",\"outcome\":\"shown\""},
      {"a message", "", true, kAll, false, "{\"t\":3000,\"op\":\"end\",\"outcome\":\"message\","},
      // Some 50,000 key presses come to about 3 MB of trace.
      {"past the bound", "gzoomtime=25000\n", false, kAll, false,
       "{\"t\":1254000,\"op\":\"end\",\"outcome\":\"shown\""},
      {"storage full at once", "", false, 0, false, nullptr},
      {"storage full midway", "gzoomtime=2000\n", false, 20000, false, "{\"t\":"},
      // Nothing is written after the first write-out, at the first pause.
      {"flush fails", "", true, kAll, true, "{\"t\":0,\"op\":\"sleep\",\"ms\":100}"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HandsetScenario scenario;
    scenario.settingsFile = c.settings;
    scenario.map.executableExists = !c.mapMissing;
    SimulatedHandset unrecorded(scenario);
    RunLaunchSequence(unrecorded);

    SimulatedHandset handset(scenario);
    Storage storage(handset, c.room, c.flushFails);
    handset.RunTracedLaunch(storage, kHandsetOrigin);
    EXPECT_EQ(JsonLines(handset), JsonLines(unrecorded));
    EXPECT_EQ(storage.callsAfterFailure, 0);
    EXPECT_LE(storage.text.size(), kTraceLimitBytes);
    EXPECT_EQ(storage.text.empty() || storage.text.back() == '\n', true);
    // Each write-out comes as the handset is about to pause or show the
    // message, or after the run, and holds everything up to there.
    const TraceRecord& operations = unrecorded.GetTimeline().Operations();
    for (const Storage::Flushed& flushed : storage.flushes) {
      const std::size_t next = flushed.handsetOperations;
      if (next == operations.Size()) continue;
      const std::string op = TraceOpName(operations.Event(next).op);
      EXPECT_TRUE(op == "sleep" || op == "message") << op;
      if (!storage.failed) {
        EXPECT_NE(flushed.lastLine.find("\"op\":\"" + op + "\""), std::string::npos);
      }
    }
    if (!c.lastLine) {
      EXPECT_EQ(storage.text, "");
      continue;
    }
    EXPECT_EQ(LastLine(storage.text).rfind(c.lastLine, 0), 0u) << LastLine(storage.text);
    // Past the bound, the run's beginning, then the line that says how much
    // was left out, then its last part.
    const std::size_t cut = storage.text.find("\"op\":\"cut\"");
    EXPECT_EQ(cut != std::string::npos, std::string(c.name) == "past the bound");
    if (cut != std::string::npos) {
      EXPECT_LE(storage.text.rfind('\n', cut), kTraceHeadBytes);
      EXPECT_GT(storage.text.rfind('\n', cut), kTraceHeadBytes - 1024);
      EXPECT_NE(storage.text.find("\"limit\":1048576,\"skipped\":", cut), std::string::npos);
      EXPECT_GT(storage.text.size() - cut, kTraceTailBytes - 1024);
    }
    if (c.mapMissing && !c.flushFails) {
      // On storage before the message box, which the handset shows last
      // but one, before the quit request.
      ASSERT_GE(storage.flushes.size(), 2u);
      const Storage::Flushed& beforeMessage = storage.flushes[storage.flushes.size() - 2];
      EXPECT_NE(beforeMessage.lastLine.find("\"op\":\"message\""), std::string::npos);
      EXPECT_EQ(beforeMessage.handsetOperations, unrecorded.GetTimeline().Operations().Size() - 2);
    }
  }
}

// A failed call carries the system's code for why; one that succeeded
// carries none. The simulated handset's own timeline is recorded by the
// recorder, so its lines are what a trace says.
TEST(TraceRecorder, EachFailedCallCarriesItsErrorAndNoOtherDoes) {
  const auto probed = [](HandsetScenario& s) { s.settingsFile = "gclear=1\n"; };
  const struct {
    const char* name;
    std::function<void(HandsetScenario&)> setUp;
    TraceOp op;
    const char* outcome;  // the end of the operation's first line
  } cases[] = {
      {"settings file missing", [](auto&) {}, kOpOpenFile, " ok=false error=2"},
      {"settings file there", [](auto& s) { s.settingsFile = ""; }, kOpOpenFile, " ok=true"},
      {"port missing", [](auto& s) { s.module.portExists = false; }, kOpOpenDevice,
       " ok=false error=2 handle=0"},
      {"port opened", [](auto&) {}, kOpOpenDevice, " ok=true handle=264"},
      {"map missing", [](auto& s) { s.map.executableExists = false; }, kOpCreateProcess,
       " ok=false error=2"},
      {"map path no file can have", [](auto& s) { s.settingsFile = "gpath=\\Map?.exe\n"; },
       kOpCreateProcess, " ok=false error=123"},
      {"map started", [](auto&) {}, kOpCreateProcess, " ok=true"},
      {"dial-up library missing", [](auto& s) { s.rasLibrary = false; }, kOpLoadLibrary,
       " ok=false error=126"},
      {"dial-up library loaded", [](auto&) {}, kOpLoadLibrary, " ok=true"},
      {"hang-up refused", [](auto& s) { s.connections[0].hangUpSucceeds = false; }, kOpRasHangUp,
       " ok=false error=668"},
      {"hung up", [](auto& s) { s.connections[0].handle = 77; }, kOpRasHangUp,
       " handle=77 ok=true"},
      {"no internet handle",
       [&](auto& s) {
         probed(s);
         s.internet.opens = false;
       },
       kOpInternetOpen, " ok=false error=12004 handle=0"},
      {"internet handle", probed, kOpInternetOpen, " ok=true handle=272"},
      {"probe page unreachable",
       [&](auto& s) {
         probed(s);
         s.internet.reachable = false;
       },
       kOpOpenUrl, " ok=false error=12029 handle=0"},
      {"probe page opened", probed, kOpOpenUrl, " ok=true handle=276"},
      {"probe page read", probed, kOpInternetRead, " bytes=10 ok=true"},
      {"status key missing",
       [](auto& s) {
         s.settingsFile = "gzoomtime=2\n";
         s.registryKeyExists = false;
       },
       kOpRegistryOpen, " ok=false error=2"},
      {"status key opened", [](auto& s) { s.settingsFile = "gzoomtime=2\n"; }, kOpRegistryOpen,
       " ok=true"},
      {"status value written", [](auto& s) { s.settingsFile = "gzoomtime=2\n"; }, kOpRegistrySet,
       " value=7 ok=true"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HandsetScenario scenario;
    c.setUp(scenario);
    SimulatedHandset handset(scenario);
    RunLaunchSequence(handset);
    const std::vector<std::string> lines = handset.GetTimeline().Lines({c.op});
    ASSERT_FALSE(lines.empty());
    const std::string& line = lines.front();
    const std::string outcome = c.outcome;
    EXPECT_TRUE(line.size() >= outcome.size() &&
                line.compare(line.size() - outcome.size(), outcome.size(), outcome) == 0)
        << line;
  }
}

// An option's value is recorded when it is the four bytes of a number, the
// only kind the launcher sets; no more bytes are read than the call was given.
TEST(TraceRecorder, AnOptionsValueIsReadOnlyWhenItIsFourBytes) {
  const unsigned char bytes[8] = {0x30, 0x75, 0, 0, 0x11, 0x22, 0x33, 0x44};
  const struct {
    const void* value;
    unsigned int size;
    const char* recorded;
  } cases[] = {
      {bytes, 4, "value=30000 size=4"}, {bytes, 2, "value=0 size=2"},
      {bytes, 3, "value=0 size=3"},     {bytes, 8, "value=0 size=8"},
      {nullptr, 4, "value=0 size=4"},
  };
  for (const auto& c : cases) {
    SimulatedHandset handset;
    const InternetHandle internet = handset.OpenInternet(L"posrelay", 1);
    handset.SetInternetOption(internet, 6, c.value, c.size);
    handset.CloseInternetHandle(internet);
    EXPECT_EQ(handset.GetTimeline().Lines({kOpInternetSetOption}),
              std::vector<std::string>{"0 internet_set_option handle=260 option=6 " +
                                       std::string(c.recorded) + " ok=true"})
        << c.size;
  }
}

// Storage whose every write-out takes a fixed time of the handset's clock.
struct SlowStorage : TextOutput {
  SlowStorage(SimulatedHandset& handset, unsigned int flushMs)
      : handset(handset), flushMs(flushMs) {}
  int Flush() override {
    handset.Spend(flushMs);
    return 1;
  }
  SimulatedHandset& handset;
  unsigned int flushMs;
};

TEST(TraceRecorder, AWriteOutCountsAgainstThePauseItPrecedes) {
  // An unknown module: each attempt has a pause of 200 ms between a command
  // and its read; the zoom adds pauses of 50 ms.
  HandsetScenario scenario;
  scenario.settingsFile = "gzoomtime=2\n";
  scenario.module.identification = "\r\nRX420\r\n\r\nOK\r\n";
  scenario.module.positionReplies = {"\r\nNO CARRIER\r\n",
                                     "\r\n@LBC: N35.41.22,E139.45.12\r\n\r\nOK\r\n"};
  SimulatedHandset unrecorded(scenario);
  RunLaunchSequence(unrecorded);
  std::uint64_t shortPauses = 0;  // pauses of 1 to 299 ms, each stretched to 300
  const TraceRecord& operations = unrecorded.GetTimeline().Operations();
  for (std::size_t i = 0; i < operations.Size(); ++i) {
    const TraceEvent& event = operations.Event(i);
    if (event.op != kOpSleep) continue;
    const TraceNumber ms = operations.FindField(event, "ms")->value.number;
    if (ms > 0 && ms < 300) shortPauses += 300 - ms;
  }
  ASSERT_GT(shortPauses, 0u);

  // The pauses the launcher asked of no time.
  const auto zeroPauses = [](const SimulatedHandset& h) {
    const std::vector<std::string> sleeps = h.GetTimeline().Lines({kOpSleep});
    return std::count_if(sleeps.begin(), sleeps.end(), [](const std::string& line) {
      return line.size() > 5 && line.compare(line.size() - 5, 5, " ms=0") == 0;
    });
  };
  // 50 ms: a write that takes the whole of the zoom's pauses.
  for (const unsigned int flushMs : {30u, 50u, 300u}) {
    SCOPED_TRACE(flushMs);
    SimulatedHandset handset(scenario);
    SlowStorage storage(handset, flushMs);
    handset.RunTracedLaunch(storage, kHandsetOrigin);
    const std::string lines = storage.text.substr(storage.text.find('\n') + 1);
    const std::string end = LastLine(lines);
    // A write within the pause leaves every operation at the time of the
    // untraced run; a longer one stretches each shorter pause to its own
    // length, and the trace shows where.
    const std::uint64_t endsAt = unrecorded.NowMs() + (flushMs == 300 ? shortPauses : 0);
    EXPECT_EQ(end.rfind("{\"t\":" + std::to_string(endsAt) + ",\"op\":\"end\"", 0), 0u) << end;
    // A pause the write took whole is not asked of the system again as one of no time.
    EXPECT_EQ(zeroPauses(handset), zeroPauses(unrecorded));
    if (flushMs == 30) {
      EXPECT_EQ(lines.substr(0, lines.size() - end.size()), JsonLines(unrecorded));
    }
  }
}

// Past the bound the writer keeps the first lines and the last ones, in
// order, and counts exactly those it let go between them.
TEST(TraceWriter, KeepsTheFirstAndLastLinesAndCountsThoseLeftOut) {
  // 25000 lines reach the bound and leave none out; each further line
  // leaves one out once the last part is full.
  for (const int lines : {20000, 25000, 60000, 200000}) {
    SCOPED_TRACE(lines);
    TextOutput sink;
    TraceOrigin origin = {"simulated", "1.5.0.0", "test", "os", "2026-12-08T01:20:38", 932};
    TraceWriter writer(sink, origin);
    std::vector<std::string> all;
    TraceRecord record;
    for (int i = 0; i < lines; ++i) {
      record.Clear();
      record.Begin(static_cast<TraceTime>(i), i + 1 == lines ? kOpMessage : kOpSleep);
      record.AddNumber("ms", i);
      writer.Take(record, record.Event(0));
      std::string line;
      AppendTraceLine(record, record.Event(0), line);
      all.push_back(line);
      if (i % 1000 == 0 || i + 1 == lines) writer.WriteOut();
    }
    std::vector<std::string> written;
    for (std::size_t at = 0; at < sink.text.size();) {
      const std::size_t end = sink.text.find('\n', at) + 1;
      written.push_back(sink.text.substr(at, end - at));
      at = end;
    }
    EXPECT_LE(sink.text.size(), kTraceLimitBytes);
    const auto cut = std::find_if(written.begin(), written.end(), [](const std::string& line) {
      return line.find("\"op\":\"cut\"") != std::string::npos;
    });
    if (cut == written.end()) {
      EXPECT_EQ(written.size(), all.size() + 1);
      continue;
    }
    const std::vector<std::string> head(written.begin() + 1, cut);
    const std::vector<std::string> tail(cut + 1, written.end());
    // At the time of the first line past the beginning.
    EXPECT_EQ(*cut, "{\"t\":" + std::to_string(head.size()) +
                        ",\"op\":\"cut\",\"limit\":1048576,\"skipped\":" +
                        std::to_string(all.size() - head.size() - tail.size()) + "}\n");
    EXPECT_TRUE(std::equal(head.begin(), head.end(), all.begin()));
    EXPECT_TRUE(std::equal(tail.begin(), tail.end(), all.end() - static_cast<long>(tail.size())));
    EXPECT_GT(tail.size(), 1000u);
  }
}

// The beginning may take up to kTraceHeadBytes and the last part up to
// kTraceTailBytes: lines that fill either to the byte are all kept.
TEST(TraceWriter, FillsItsBeginningAndItsLastPartToTheByte) {
  const std::size_t kLine = 64;  // divides both bounds
  // A header of whole lines' length, so that whole lines fill the beginning.
  TraceOrigin origin = {"simulated", "1.5.0.0", "test", "", "2026-12-08T01:20:38", 932};
  std::string header;
  AppendTraceHeader(origin, header);
  const std::size_t headerBytes = (header.size() / kLine + 1) * kLine;
  origin.os.assign(headerBytes - header.size(), 'o');
  const std::size_t headLines = (kTraceHeadBytes - headerBytes) / kLine;
  const std::size_t tailLines = kTraceTailBytes / kLine;
  TextOutput sink;
  TraceWriter writer(sink, origin);
  const std::size_t lines = headLines + 100 + tailLines;
  for (std::size_t i = 0; i < lines; ++i) {
    TraceRecord record;
    record.Begin(i, i + 1 == lines ? kOpMessage : kOpSleep);
    std::string line;
    AppendTraceLine(record, record.Event(0), line);
    record.AddText("pad", std::string(kLine - line.size() - 9, 'x'));  // ,"pad":""
    writer.Take(record, record.Event(0));
  }
  writer.WriteOut();
  const std::string cutLine = "{\"t\":" + std::to_string(headLines) +
                              ",\"op\":\"cut\",\"limit\":1048576,\"skipped\":100}\n";
  ASSERT_GT(sink.text.size(), kTraceHeadBytes);
  EXPECT_EQ(sink.text.compare(kTraceHeadBytes, cutLine.size(), cutLine), 0)
      << sink.text.substr(kTraceHeadBytes - kLine, 2 * kLine);
  EXPECT_EQ(sink.text.size(), kTraceHeadBytes + cutLine.size() + kTraceTailBytes);
}

}  // namespace
