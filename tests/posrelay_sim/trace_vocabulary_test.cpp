// The trace's vocabulary: one row an operation, and a reader that takes back
// exactly what the recorder writes for each.
#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "replay/json_line.h"
#include "replay/run_phases.h"
#include "replay/trace_reader.h"
#include "reports/vocabulary_json.h"
#include "simulator/simulated_handset.h"
#include "tests/handset_trace.h"
#include "trace/trace_operations.h"
#include "trace/trace_record.h"
#include "trace/trace_writer.h"

namespace {

// Every operation has its row of the vocabulary: one name, found again by
// it, fields of versions the operation has, a phase and a lane.
TEST(TraceVocabulary, EveryOperationHasAShapeAPhaseAndALane) {
  std::set<std::string> names;
  std::set<std::string> keys;
  for (int i = 0; i < kTraceOpCount; ++i) {
    const TraceOp op = static_cast<TraceOp>(i);
    const TraceOperationShape& shape = TraceOperationOf(op);
    SCOPED_TRACE(shape.name ? shape.name : "(none)");
    ASSERT_EQ(shape.op, op) << "the table is in the enumeration's order";
    ASSERT_NE(shape.name, nullptr);
    EXPECT_TRUE(names.insert(shape.name).second);
    EXPECT_TRUE(keys.insert(TraceOpKey(op)).second);
    EXPECT_STRNE(TraceOpKey(op), "");
    EXPECT_EQ(FindTraceOperation(shape.name, std::strlen(shape.name)), &shape);
    EXPECT_GE(shape.firstVersion, 1);
    EXPECT_LE(shape.firstVersion, kTraceFormatVersion);
    const OperationPlace& place = PlaceOf(op);
    ASSERT_EQ(place.op, op) << "the places are in the enumeration's order";
    for (const RunPhase phase : {place.phase, place.phaseLater}) {
      EXPECT_TRUE(phase < kRunPhaseCount || phase == kPhaseWhereItComes);
      EXPECT_GE(phase, place.phase) << "a phase once reached is not left";
    }
    EXPECT_TRUE(place.lane < kLaneCount || place.lane == kLaneOfPhase ||
                place.lane == kLaneAcross || place.lane == kNoLane);
    EXPECT_EQ(shape.fields == nullptr, shape.fieldCount == 0);
    for (int version = shape.firstVersion; version <= kTraceFormatVersion; ++version) {
      std::set<std::string> fields;
      for (unsigned int f = 0; f < shape.fieldCount; ++f) {
        EXPECT_GE(shape.fields[f].firstVersion, shape.firstVersion) << shape.fields[f].name;
        if (TraceFieldInVersion(shape.fields[f], version)) {
          EXPECT_TRUE(fields.insert(shape.fields[f].name).second) << shape.fields[f].name;
        }
      }
    }
  }
  EXPECT_EQ(FindTraceOperation("sleeps", 6), nullptr);
}

// The line without one of its fields, or with one more.
std::string WithoutField(const TraceRecord& record, const TraceEvent& event, const char* name) {
  TraceRecord changed;
  changed.Begin(event.timeMs, event.op);
  for (unsigned int i = 0; i < event.fieldCount; ++i) {
    const TraceField& field = record.Field(event, i);
    if (std::strcmp(field.name, name) == 0) continue;
    if (field.kind == kTraceText) {
      changed.AddText(field.name, record.TextData(field), field.textLength);
    } else if (field.kind == kTraceReal) {
      changed.AddReal(field.name, field.value.real);
    } else if (field.kind == kTraceBoolean) {
      changed.AddBoolean(field.name, field.value.number != 0);
    } else {
      changed.AddNumber(field.name, field.value.number);
    }
  }
  std::string line;
  AppendTraceLine(changed, changed.Event(0), line);
  return line;
}

// The reader takes back every line the recorder writes, as it was written,
// and no line with a field more or a required one less. Each case is the
// recorder's line of one operation, as a run of the current format has it.
TEST(TraceVocabulary, TheReaderAcceptsExactlyWhatTheRecorderWritesForEachOperation) {
  SimulatedHandset conversions;
  using Recording = std::function<void(TraceRecord&, TraceTime)>;
  const std::string undecodable("\r\n\x81\xff\r\n", 6);
  const int value = 30000;
  const Recording cases[] = {
      [](TraceRecord& r, TraceTime t) { RecordExecutablePath(r, t, L"\\posrelay.exe"); },
      [](TraceRecord& r, TraceTime t) { RecordOpenFile(r, t, L"\\posrelay.ini", true, 0); },
      [](TraceRecord& r, TraceTime t) { RecordOpenFile(r, t, L"\\posrelay.ini", false, 2); },
      [&](TraceRecord& r, TraceTime t) { RecordReadLine(r, t, true, "wait=200\n", conversions); },
      [&](TraceRecord& r, TraceTime t) {
        RecordReadLine(r, t, true, "gpath=\\\x92\x6e\x90\x7d.exe\n", conversions);
      },
      [&](TraceRecord& r, TraceTime t) { RecordReadLine(r, t, true, undecodable, conversions); },
      [&](TraceRecord& r, TraceTime t) { RecordReadLine(r, t, false, "", conversions); },
      [](TraceRecord& r, TraceTime t) { RecordCloseFile(r, t); },
      [](TraceRecord& r, TraceTime t) { RecordOpenDevice(r, t, L"COM1:", 264, 0); },
      [](TraceRecord& r, TraceTime t) { RecordOpenDevice(r, t, L"COM9:", 0, 2); },
      [&](TraceRecord& r, TraceTime t) { RecordWrite(r, t, 264, "ATI4\r", 5, conversions); },
      [&](TraceRecord& r, TraceTime t) {
        RecordRead(r, t, 264, 256, "\r\nOK\r\n", 6, conversions);
      },
      [&](TraceRecord& r, TraceTime t) { RecordRead(r, t, 264, 256, "", 0, conversions); },
      [&](TraceRecord& r, TraceTime t) { RecordRead(r, t, 264, 256, undecodable, 6, conversions); },
      [](TraceRecord& r, TraceTime t) { RecordCloseDevice(r, t, 264); },
      [](TraceRecord& r, TraceTime t) { RecordSleep(r, t, 100); },
      [](TraceRecord& r, TraceTime t) { RecordFindWindow(r, t, L"GoogleMapsMobile", 65792); },
      [](TraceRecord& r, TraceTime t) { RecordFindWindow(r, t, L"GoogleMapsMobile", 0); },
      [](TraceRecord& r, TraceTime t) { RecordForeground(r, t, 65793); },
      [](TraceRecord& r, TraceTime t) { RecordPostMessage(r, t, 65792, 273, 206, -1, true); },
      [](TraceRecord& r, TraceTime t) {
        RecordCreateProcess(r, t, L"\\Maps\\地図.exe", L"-URL \"?a\"", true, 0);
      },
      [](TraceRecord& r, TraceTime t) { RecordCreateProcess(r, t, L"\\x.exe", L"", false, 2); },
      [](TraceRecord& r, TraceTime t) { RecordKey(r, t, 17, false); },
      [](TraceRecord& r, TraceTime t) { RecordKey(r, t, 17, true); },
      [](TraceRecord& r, TraceTime t) { RecordPreKey(r, t); },
      [](TraceRecord& r, TraceTime t) { RecordPostKey(r, t); },
      [](TraceRecord& r, TraceTime t) {
        RecordRegistryOpen(r, t, L"ControlPanel\\Phone", true, 0);
      },
      [](TraceRecord& r, TraceTime t) { RecordRegistryOpen(r, t, L"x", false, 5); },
      [](TraceRecord& r, TraceTime t) { RecordRegistrySet(r, t, L"Status22", 7, true); },
      [](TraceRecord& r, TraceTime t) { RecordRegistryClose(r, t); },
      [](TraceRecord& r, TraceTime t) { RecordLoadLibrary(r, t, L"coredll.dll", true, 0); },
      [](TraceRecord& r, TraceTime t) { RecordLoadLibrary(r, t, L"coredll.dll", false, 126); },
      [](TraceRecord& r, TraceTime t) { RecordFindFunction(r, t, L"RasHangUp", false); },
      [](TraceRecord& r, TraceTime t) { RecordReleaseLibrary(r, t); },
      [](TraceRecord& r, TraceTime t) { RecordRasEnumerate(r, t, 52, 520, 1, 0); },
      [](TraceRecord& r, TraceTime t) { RecordRasConnection(r, t, "CLUB AIR-EDGE", 20496); },
      [](TraceRecord& r, TraceTime t) { RecordRasHangUp(r, t, "CLUB AIR-EDGE", 20496, 0); },
      [](TraceRecord& r, TraceTime t) { RecordRasHangUp(r, t, "CLUB AIR-EDGE", 20496, 668); },
      [](TraceRecord& r, TraceTime t) { RecordInternetOpen(r, t, L"posrelay", 1, 12, 0); },
      [](TraceRecord& r, TraceTime t) { RecordInternetOpen(r, t, L"posrelay", 1, 0, 12029); },
      [&](TraceRecord& r, TraceTime t) {
        RecordInternetSetOption(r, t, 12, 2, &value, sizeof value, true);
      },
      [](TraceRecord& r, TraceTime t) { RecordOpenUrl(r, t, 12, L"http://127.0.0.1/", 13, 0); },
      [](TraceRecord& r, TraceTime t) { RecordInternetRead(r, t, 13, 10, 10, true); },
      [](TraceRecord& r, TraceTime t) { RecordInternetClose(r, t, 13); },
      [](TraceRecord& r, TraceTime t) { RecordMessage(r, t, L"posrelay", L"モバイル"); },
      [](TraceRecord& r, TraceTime t) { RecordQuit(r, t, 0); },
      [](TraceRecord& r, TraceTime t) { RecordEnd(r, t, false, true, 35.69266981057444, 139.75); },
      [](TraceRecord& r, TraceTime t) { RecordEnd(r, t, true, false, 0, 0); },
  };
  const TraceOrigin origin = {"handset", "1.5.0.0", "abc", "Windows CE 4.20", "2026-12-08T01:20:38",
                              932};
  std::string header;
  AppendTraceHeader(origin, header);
  std::set<TraceOp> recorded;
  for (const Recording& record : cases) {
    TraceRecord written;
    record(written, 7);
    const TraceEvent& event = written.Event(0);
    recorded.insert(event.op);
    std::string line;
    AppendTraceLine(written, event, line);
    SCOPED_TRACE(line);
    const bool isEnd = event.op == kOpEnd;
    const std::string end = isEnd ? "" : "{\"t\":7,\"op\":\"end\",\"outcome\":\"message\"}\n";
    RecordedTrace trace;
    std::string error;
    ASSERT_TRUE(ReadTrace(header + line + end, trace, error)) << error;
    const TraceRecord& read = isEnd ? trace.last : trace.operations;
    ASSERT_EQ(read.Size(), 1u);
    std::string again;
    AppendTraceLine(read, read.Event(0), again);
    EXPECT_EQ(again, line);

    const std::string more = line.substr(0, line.size() - 2) + ",\"more\":1}\n";
    EXPECT_FALSE(ReadTrace(header + more + end, trace, error));
    EXPECT_NE(error.find("has no field \"more\""), std::string::npos) << error;
    const TraceOperationShape& shape = TraceOperationOf(event.op);
    for (unsigned int f = 0; f < shape.fieldCount; ++f) {
      if (shape.fields[f].optional || !TraceFieldInVersion(shape.fields[f], kTraceFormatVersion)) {
        continue;
      }
      EXPECT_FALSE(ReadTrace(header + WithoutField(written, event, shape.fields[f].name) + end,
                             trace, error))
          << shape.fields[f].name;
    }
  }
  // The cut line comes only where a trace reaches its bound.
  TextOutput output;
  TraceWriter writer(output, origin);
  TraceRecord operations;
  for (int i = 0; i < 40000; ++i) {
    operations.Clear();
    RecordSleep(operations, static_cast<TraceTime>(i), 100);
    writer.Take(operations, operations.Event(0));
    if (i % 1000 == 0) writer.WriteOut();
  }
  operations.Clear();
  RecordEnd(operations, 40000, true, false, 0, 0);
  writer.Take(operations, operations.Event(0));
  writer.WriteOut();
  RecordedTrace trace;
  std::string error;
  ASSERT_TRUE(ReadTrace(output.text, trace, error)) << error;
  ASSERT_TRUE(trace.cut);
  recorded.insert(trace.last.Event(0).op);
  EXPECT_EQ(recorded.size(), static_cast<std::size_t>(kTraceOpCount)) << "an operation untested";
}

// Reals at every boundary of their writer: the point where a reader expects
// one (from 1e-4 up to 1e15), an exponent beyond, and each read back as the
// same double, its sign too.
TEST(TraceVocabulary, RealsReadBackAsTheSameDouble) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0.0, "0.0"},
      {-0.0, "-0.0"},
      {0.1, "0.1"},
      {0.5, "0.5"},
      {0.9999999, "0.9999999"},
      {1.0, "1.0"},
      {35.69266981057444, "35.69266981057444"},    // a position's latitude
      {139.75012472663002, "139.75012472663002"},  // and longitude
      {1e-7, "1e-07"},
      {1e21, "1e+21"},
      {DBL_MAX, "1.7976931348623157e+308"},
      {-DBL_MAX, "-1.7976931348623157e+308"},
      {DBL_MIN, "2.2250738585072014e-308"},
      {std::numeric_limits<double>::denorm_min(), "5e-324"},
  };
  for (const auto& c : cases) {
    std::string text;
    AppendJsonReal(c.value, text);
    EXPECT_EQ(text, c.text);
    std::vector<JsonMember> members;
    std::string error;
    ASSERT_EQ(ParseJsonLine("{\"latitude\":" + text + "}", members, error), 1) << text << error;
    EXPECT_EQ(members[0].real, c.value) << text;
    EXPECT_EQ(std::signbit(members[0].real), std::signbit(c.value)) << text;
  }
}

}  // namespace
