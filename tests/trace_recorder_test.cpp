// Writing a trace never changes the run: whatever the sink does, the
// launcher makes the same calls, and the trace stays within its bound and
// is on storage before a message box appears.
#include "app/trace_recorder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/launch_sequence.h"
#include "platform/sim/simulated_handset.h"

namespace {

// Storage that fills up after a number of bytes, or whose flush fails.
struct Storage : TraceSink {
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
    flushes.push_back({text, handset.GetTimeline().Operations().Size()});
    return flushFails ? Fail() : 1;
  }
  int Fail() {
    failed = true;
    return 0;
  }
  struct Flushed {
    std::string text;
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

struct HandsetClock : TraceClock {
  explicit HandsetClock(const SimulatedHandset& handset) : handset(handset) {}
  TraceTime ElapsedMs() override { return handset.NowMs(); }
  const SimulatedHandset& handset;
};

std::string JsonLines(const SimulatedHandset& handset) {
  const TraceRecord& operations = handset.GetTimeline().Operations();
  std::string lines;
  for (std::size_t i = 0; i < operations.Size(); ++i) {
    AppendTraceLine(operations, operations.Event(i), lines);
  }
  return lines;
}

std::string LastLine(const std::string& text) {
  if (text.empty()) return text;
  return text.substr(text.rfind('\n', text.size() - 2) + 1);
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
      {"past the bound", "gzoomtime=25000\n", false, kAll, false, "{\"t\":"},
      {"storage full at once", "", false, 0, false, nullptr},
      {"storage full midway", "gzoomtime=2000\n", false, 20000, false, "{\"t\":"},
      {"flush fails before the message", "", true, kAll, true,
       "{\"t\":3000,\"op\":\"message\",\"title\":\"posrelay\""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    HandsetScenario scenario;
    scenario.settingsFile = c.settings;
    scenario.map.executableExists = !c.mapMissing;
    SimulatedHandset unrecorded(scenario);
    RunLaunchSequence(unrecorded);

    SimulatedHandset handset(scenario);
    HandsetClock clock(handset);
    Storage storage(handset, c.room, c.flushFails);
    {
      TraceRecorder recorder(handset, storage, clock, {"handset", "1.5.0.0", 932});
      RunLaunchSequence(recorder);
      recorder.Finish();
    }
    EXPECT_EQ(JsonLines(handset), JsonLines(unrecorded));
    EXPECT_EQ(storage.callsAfterFailure, 0);
    EXPECT_LE(storage.text.size(), kTraceLimitBytes);
    EXPECT_EQ(storage.text.empty() || storage.text.back() == '\n', true);
    if (!c.lastLine) {
      EXPECT_EQ(storage.text, "");
      continue;
    }
    EXPECT_EQ(LastLine(storage.text).rfind(c.lastLine, 0), 0u) << LastLine(storage.text);
    const bool cut = LastLine(storage.text).find("\"op\":\"cut\"") != std::string::npos;
    EXPECT_EQ(cut, std::string(c.name) == "past the bound");
    if (c.mapMissing) {
      // On storage before the message box, which the handset shows last
      // but one, before the quit request.
      ASSERT_FALSE(storage.flushes.empty());
      EXPECT_NE(LastLine(storage.flushes.front().text).find("\"op\":\"message\""),
                std::string::npos);
      EXPECT_EQ(storage.flushes.front().handsetOperations,
                unrecorded.GetTimeline().Operations().Size() - 2);
    }
  }
}

}  // namespace
