// Arbitrary bytes as a trace: the reader either takes them, and a whole
// replay of what it took ends with a verdict that fits the trace, or names
// the line and what is wrong with it. What it takes, written again, reads
// back the same.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "replay/trace_reader.h"
#include "replay/trace_replay.h"
#include "reports/replay_report.h"
#include "trace/trace_writer.h"

namespace {

std::string Written(const RecordedTrace& trace) {
  std::string text;
  const TraceOrigin origin = {trace.system.c_str(), trace.launcher.c_str(),
                              trace.build.c_str(),  trace.os,
                              trace.started,        kTraceCodePage};
  AppendTraceHeader(origin, text);
  for (std::size_t i = 0; i < trace.operations.Size(); ++i) {
    AppendTraceLine(trace.operations, trace.operations.Event(i), text);
  }
  if (!trace.interrupted) AppendTraceLine(trace.last, trace.last.Event(0), text);
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  RecordedTrace trace;
  std::string error;
  if (!ReadTrace(bytes, trace, error)) {
    FUZZ_CHECK(error.rfind("line ", 0) == 0 && error.find('\n') == std::string::npos);
    return 0;
  }
  FUZZ_CHECK(trace.lines.size() == trace.operations.Size());
  FUZZ_CHECK(trace.interrupted ? trace.last.Size() == 0 : trace.last.Size() == 1);
  for (std::size_t i = 1; i < trace.operations.Size(); ++i) {
    FUZZ_CHECK(trace.operations.Event(i - 1).timeMs <= trace.operations.Event(i).timeMs);
  }

  // Only a trace of the current version is written the same again.
  if (trace.version == kTraceFormatVersion) {
    const std::string written = Written(trace);
    RecordedTrace again;
    FUZZ_CHECK(ReadTrace(written, again, error));
    FUZZ_CHECK(Written(again) == written);
  }

  ReplayResult result;
  if (!ReplayTrace(trace, result, error)) {
    FUZZ_CHECK(error.find(" checks or key presses a dry run shows one by one") !=
               std::string::npos);
    return 0;
  }
  FUZZ_CHECK(result.played <= trace.operations.Size());
  FUZZ_CHECK(result.replayed.Size() == result.played);
  FUZZ_CHECK(result.diverged || result.played == trace.operations.Size());
  FUZZ_CHECK(!result.endDiffers || (result.diverged && result.played == trace.operations.Size()));
  for (std::size_t i = 0; i < result.played; ++i) {
    FUZZ_CHECK(result.replayed.Event(i).op == trace.operations.Event(i).op);
  }
  const std::string text = FormatReplayText(trace, result, kEnglish);
  FUZZ_CHECK(!text.empty() && text.back() == '\n');
  const std::string json = FormatReplayJson(trace, result);
  const std::size_t verdict = json.rfind("{\"replay\":\"");
  FUZZ_CHECK(verdict != std::string::npos && json.find('\n', verdict) == json.size() - 1);
  const std::string chart = FormatReplaySvg(trace, kEnglish);
  FUZZ_CHECK(chart.size() > 7 && chart.compare(chart.size() - 7, 7, "</svg>\n") == 0);
  return 0;
}
