#include "trace/trace_writer.h"

#include <string.h>

#include "trace/trace_operations.h"

const char kTraceSystemHandset[] = "handset";
const char kTraceSystemDesktop[] = "desktop";
const char kTraceSystemSimulated[] = "simulated";

namespace {

void AppendTextMember(const char* name, const char* value, std::string& line) {
  line += ",\"";
  line += name;
  line += "\":";
  AppendJsonText(value, strlen(value), line);
}

}  // namespace

void AppendTraceHeader(const TraceOrigin& origin, std::string& line) {
  line += "{\"format\":";
  AppendJsonText(kTraceFormatName, strlen(kTraceFormatName), line);
  line += ",\"version\":";
  AppendJsonNumber(kTraceFormatVersion, line);
  AppendTextMember("system", origin.system, line);
  AppendTextMember("launcher", origin.launcherVersion, line);
  AppendTextMember("build", origin.build, line);
  AppendTextMember("os", origin.os.c_str(), line);
  AppendTextMember("started", origin.started.c_str(), line);
  line += ",\"codepage\":";
  AppendJsonNumber(origin.codePage, line);
  line += "}\n";
}

TraceWriter::TraceWriter(TraceOutput& output, const TraceOrigin& origin)
    : output_(output),
      headBytes_(0),
      works_(true),
      cut_(false),
      cutWritten_(false),
      lastPartComplete_(false),
      cutTime_(0),
      tailFirst_(0),
      tailBytes_(0),
      skipped_(0) {
  AppendTraceHeader(origin, line_);
  Keep(line_);
}

void TraceWriter::Take(const TraceRecord& record, const TraceEvent& event) {
  if (!works_) return;
  line_.erase();
  AppendTraceLine(record, event, line_);
  if (!cut_ && headBytes_ + line_.size() > kTraceHeadBytes) {
    cut_ = true;
    cutTime_ = event.timeMs;
  }
  // The message and the end are where the run's last part is complete.
  lastPartComplete_ = event.op == kOpMessage || event.op == kOpEnd;
  if (cut_ && !cutWritten_) {
    KeepInTail(line_);
  } else {
    Keep(line_);
  }
}

void TraceWriter::Keep(const std::string& line) {
  pending_ += line;
  headBytes_ += line.size();
}

void TraceWriter::KeepInTail(const std::string& line) {
  tail_.push_back(line);
  tailBytes_ += line.size();
  while (tailBytes_ > kTraceTailBytes) {
    tailBytes_ -= tail_[tailFirst_].size();
    std::string().swap(tail_[tailFirst_]);
    ++tailFirst_;
    ++skipped_;
  }
  if (tailFirst_ * 2 >= tail_.size()) {
    tail_.erase(tail_.begin(), tail_.begin() + static_cast<ptrdiff_t>(tailFirst_));
    tailFirst_ = 0;
  }
}

void TraceWriter::WriteOut() {
  if (!works_) return;
  // Past the bound the last part waits in memory for the run's message or
  // its end: a line once written is never taken back, and only then is it
  // known what was left out.
  if (cut_ && !cutWritten_ && lastPartComplete_) {
    TraceRecord cut;
    RecordCut(cut, cutTime_, static_cast<unsigned int>(kTraceLimitBytes), skipped_);
    AppendTraceLine(cut, cut.Event(0), pending_);
    for (size_t line = tailFirst_; line < tail_.size(); ++line) pending_ += tail_[line];
    tail_.clear();
    tailFirst_ = 0;
    tailBytes_ = 0;
    cutWritten_ = true;
  }
  if (pending_.empty()) return;
  works_ = output_.Append(pending_.data(), pending_.size()) && output_.Flush();
  pending_.erase();
}

void RecordRunToTrace(RecordedRun run, PlatformServices& platform, TraceClock& clock,
                      TraceOutput& output, const TraceOrigin& origin) {
  TraceWriter writer(output, origin);
  RecordRun(run, platform, clock, writer);
}
