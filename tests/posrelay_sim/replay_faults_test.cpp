// A launcher changed in one way, replayed against the runs kept in
// samples/traces: each change diverges, at the operation where the changed
// launcher first differs. The change sits between the launcher and the
// recorder, so the recorder sees what the changed launcher would pass.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <string>

#include "replay/trace_player.h"
#include "replay/trace_reader.h"
#include "tests/test_helpers.h"
#include "trace/trace_operations.h"
#include "trace/trace_recorder.h"

namespace {

enum Fault { kHangsUpAnyName, kNoRecordSize, kClosesHandleZero, kReadsSixteenBytes };

class FaultyRecorder;
FaultyRecorder* faulty = nullptr;

// The recorder with one of the launcher's faults in front of it.
class FaultyRecorder : public TraceRecorder {
 public:
  FaultyRecorder(TracePlayer& player, Fault fault)
      : TraceRecorder(player, player, player), fault_(fault) {
    faulty = this;
  }
  ~FaultyRecorder() override { faulty = nullptr; }

  void CloseDevice(DeviceHandle device) override {
    TraceRecorder::CloseDevice(fault_ == kClosesHandleZero ? 0 : device);
  }
  int ReadDevice(DeviceHandle device, char* buffer, int capacity) override {
    return TraceRecorder::ReadDevice(device, buffer, fault_ == kReadsSixteenBytes ? 16 : capacity);
  }
  LibraryFunction FindFunction(LibraryHandle library, const std::wstring& name) override {
    const LibraryFunction function = TraceRecorder::FindFunction(library, name);
    if (!function || name != L"RasEnumConnections") return function;
    listing_ = reinterpret_cast<RasEnumConnectionsFunction>(function);
    return reinterpret_cast<LibraryFunction>(&Listing);
  }

 private:
  // A launcher without the record size; or one without the entry-name check,
  // which hangs up every connection as if each were the module's.
  static unsigned int POSRELAY_WINAPI Listing(RasConnectionRecord* records,
                                              unsigned int* bufferBytes, unsigned int* count) {
    if (faulty->fault_ == kNoRecordSize) records[0].size = 0;
    const unsigned int result = faulty->listing_(records, bufferBytes, count);
    for (unsigned int i = 0; faulty->fault_ == kHangsUpAnyName && i < *count; ++i) {
      const char kEntry[] = "CLUB AIR-EDGE";
      for (std::size_t c = 0; c < sizeof kEntry; ++c) records[i].entryName[c] = kEntry[c];
    }
    return result;
  }

  const Fault fault_;
  RasEnumConnectionsFunction listing_ = nullptr;
};

RecordedTrace KeptTrace(const std::string& name) {
  const std::string bytes = ReadSample("traces/" + name);
  RecordedTrace trace;
  std::string error;
  EXPECT_TRUE(ReadTrace(bytes, trace, error)) << name << ": " << error;
  return trace;
}

TEST(ReplayFaults, EachChangeOfTheLauncherDivergesWhereItFirstDiffers) {
  const struct {
    const char* name;
    Fault fault;
    const char* trace;
    const char* divergesAt;  // the recorded operation the changed launcher differs at
  } cases[] = {
      {"hangs up a connection of any name", kHangsUpAnyName, "several_connections.trace",
       "ras_hang_up"},
      {"sets no record size in the connection list", kNoRecordSize, "several_connections.trace",
       "ras_enumerate"},
      {"closes handle 0 instead of the port", kClosesHandleZero, "normal_run.trace",
       "close_device"},
      {"reads 16 bytes at a time", kReadsSixteenBytes, "normal_run.trace", "read"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const RecordedTrace trace = KeptTrace(c.trace);
    TracePlayer player(trace.operations, trace.last, false, trace.version);
    {
      FaultyRecorder recorder(player, c.fault);
      player.PlayLaunchSequence(recorder);
    }
    ASSERT_TRUE(player.Diverged());
    ASSERT_LT(player.Played(), trace.operations.Size());
    EXPECT_STREQ(TraceOpName(trace.operations.Event(player.Played()).op), c.divergesAt);
    ASSERT_EQ(player.DivergentCall().Size(), 1u);
    EXPECT_STREQ(TraceOpName(player.DivergentCall().Event(0).op), c.divergesAt);
    // Unchanged, the same launcher replays the trace to its end.
    TracePlayer again(trace.operations, trace.last, false, trace.version);
    again.PlayLaunchSequence();
    EXPECT_FALSE(again.Diverged());
    EXPECT_TRUE(again.EndMatched());
  }
}

// A launcher that converted the datum by division would give a position
// that differs in its last bit, which only the end line carries at full
// precision: such an end diverges there.
TEST(ReplayFaults, AnEndOneBitAwayDivergesAtTheEndLine) {
  const RecordedTrace trace = KeptTrace("normal_run.trace");
  TraceRecord end;
  const TraceEvent& recorded = trace.last.Event(0);
  const double latitude = trace.last.FindField(recorded, "latitude")->value.real;
  const double longitude = trace.last.FindField(recorded, "longitude")->value.real;
  RecordEnd(end, recorded.timeMs, false, true, std::nextafter(latitude, 90.0), longitude);
  TracePlayer player(trace.operations, end, false, trace.version);
  player.PlayLaunchSequence();
  EXPECT_TRUE(player.Diverged());
  EXPECT_EQ(player.Played(), trace.operations.Size());
  EXPECT_EQ(player.DivergentCall().Event(0).op, kOpEnd);
}

}  // namespace
