#include "tools/posrelay_sim/trace_reader.h"

#include <algorithm>
#include <cstring>

#include "platform/sim/text_encoding.h"
#include "platform/sim/trace_player.h"
#include "platform/trace_operations.h"
#include "tools/posrelay_sim/display_text.h"
#include "tools/posrelay_sim/json_line.h"

namespace {

int Fail(std::string& error, std::size_t line, const std::string& what) {
  error = "line " + std::to_string(line) + ": " + what;
  return 0;
}

// A name from the file, quoted and escaped so that a message stays one line.
std::string Quoted(std::string_view name) { return DisplayText(name); }

const JsonMember* Member(const std::vector<JsonMember>& members, std::string_view name) {
  for (const JsonMember& member : members) {
    if (member.name == name) return &member;
  }
  return nullptr;
}

// A header member that must be text on one line.
const JsonMember* HeaderText(const std::vector<JsonMember>& members, std::string_view name) {
  const JsonMember* member = Member(members, name);
  const auto isControl = [](char c) { return static_cast<unsigned char>(c) < 0x20; };
  if (!member || member->kind != JsonMember::kText ||
      std::any_of(member->text.begin(), member->text.end(), isControl)) {
    return nullptr;
  }
  return member;
}

int ReadHeader(const std::vector<JsonMember>& members, RecordedTrace& trace, std::string& error) {
  const JsonMember* format = Member(members, "format");
  if (!format || format->kind != JsonMember::kText || format->text != kTraceFormatName) {
    return Fail(error, 1,
                "not a posrelay trace: the first line has no \"format\":\"" +
                    std::string(kTraceFormatName) + "\"");
  }
  const JsonMember* version = Member(members, "version");
  if (!version || version->kind != JsonMember::kInteger) {
    return Fail(error, 1, "the header has no whole \"version\"");
  }
  if (version->negative || version->magnitude < 1 || version->magnitude > kTraceFormatVersion) {
    return Fail(error, 1,
                "format version " + std::string(version->negative ? "-" : "") +
                    std::to_string(version->magnitude) +
                    "; this posrelay-sim reads versions 1 to " +
                    std::to_string(kTraceFormatVersion));
  }
  trace.version = static_cast<int>(version->magnitude);
  const JsonMember* system = Member(members, "system");
  if (!system ||
      (system->text != "handset" && system->text != "desktop" && system->text != "simulated")) {
    return Fail(error, 1,
                "the header's \"system\" is none of \"handset\", \"desktop\" and \"simulated\"");
  }
  const JsonMember* launcher = HeaderText(members, "launcher");
  if (!launcher) return Fail(error, 1, "the header has no \"launcher\" version on one line");
  const JsonMember* codePage = Member(members, "codepage");
  if (!codePage || codePage->kind != JsonMember::kInteger) {
    return Fail(error, 1, "the header has no whole \"codepage\"");
  }
  if (codePage->negative || codePage->magnitude != kTraceCodePage) {
    return Fail(error, 1,
                "recorded in code page " + std::to_string(codePage->magnitude) +
                    "; a replay reads texts in the handset's code page " +
                    std::to_string(kTraceCodePage));
  }
  std::size_t expected = 5;
  if (trace.version >= 2) {
    for (const char* name : {"build", "os", "started"}) {
      if (!HeaderText(members, name)) {
        return Fail(error, 1, "the header has no \"" + std::string(name) + "\" on one line");
      }
    }
    trace.build = Member(members, "build")->text;
    trace.os = Member(members, "os")->text;
    trace.started = Member(members, "started")->text;
    expected = 8;
  }
  if (members.size() != expected) return Fail(error, 1, "the header has fields it should not have");
  trace.system = system->text;
  trace.launcher = launcher->text;
  return 1;
}

// A member's value as a field of the kind the vocabulary gives it.
int AddField(TraceRecord& record, const TraceFieldShape& shape, const JsonMember& member,
             std::string& problem) {
  switch (shape.kind) {
    case kTraceText:
      if (member.kind != JsonMember::kText) break;
      record.AddText(shape.name, member.text);
      return 1;
    case kTraceBoolean:
      if (member.kind != JsonMember::kBoolean) break;
      record.AddBoolean(shape.name, member.boolean);
      return 1;
    case kTraceReal:
      if (member.kind != JsonMember::kInteger && member.kind != JsonMember::kReal) break;
      record.AddReal(shape.name, member.real);
      return 1;
    case kTraceNumber: {
      const std::uint64_t limit =
          member.negative ? std::uint64_t(1) << 63 : (std::uint64_t(1) << 63) - 1;
      if (member.kind != JsonMember::kInteger) break;
      if (member.magnitude > limit) {
        problem = Quoted(shape.name) + " is out of range";
        return 0;
      }
      const TraceNumber value = member.negative ? static_cast<TraceNumber>(0 - member.magnitude)
                                                : static_cast<TraceNumber>(member.magnitude);
      record.AddNumber(shape.name, value);
      return 1;
    }
  }
  const char* expected = shape.kind == kTraceText      ? "a string"
                         : shape.kind == kTraceBoolean ? "true or false"
                                                       : "a number";
  problem = Quoted(shape.name) + ": expected " + expected;
  return 0;
}

bool IsHex(const std::string& text) {
  if (text.size() % 2 != 0) return false;
  for (char c : text) {
    if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'))) {
      return false;
    }
  }
  return true;
}

// A text of bytes must stand for them: without a hex, the text must give
// its bytes back. With one, the bytes are the hex's and the text is there to
// be read: the recording system's own conversion made it, and where bytes
// are not characters of the code page, systems differ on what they show.
int CheckCodePageText(const TraceRecord& record, const TraceEvent& event, std::string& problem) {
  const TraceField* text = record.FindField(event, "text");
  const TraceField* hex = record.FindField(event, "hex");
  if (hex && !text) {
    problem = "\"hex\" without \"text\"";
    return 0;
  }
  if (!text) return 1;
  if (hex && !IsHex(record.Text(*hex))) {
    problem = "\"hex\" is not an even number of hex digits";
    return 0;
  }
  if (hex) return 1;
  const std::string bytes = RecordedBytes(record, event);
  if (WideToUtf8(Cp932ToWide(bytes)) == record.Text(*text)) return 1;
  problem = "\"text\" does not give its bytes back in code page 932; give them in \"hex\"";
  return 0;
}

// Fields whose values depend on each other.
int CheckConsistency(const TraceRecord& record, const TraceEvent& event, std::string& problem) {
  const std::string op = event.op;
  if (op == "read_line" || op == "read" || op == "write") {
    if (!CheckCodePageText(record, event, problem)) return 0;
  }
  if (op == "read_line") {
    const bool ok = record.FindField(event, "ok")->value.number != 0;
    if (ok != (record.FindField(event, "text") != nullptr)) {
      problem = "a line read has \"text\" and \"ok\":true, the end of the file neither";
      return 0;
    }
  }
  if (op == "find_window") {
    const bool found = record.FindField(event, "found")->value.number != 0;
    if (found != (record.FindField(event, "window")->value.number != 0)) {
      problem = "\"found\" must say whether \"window\" is non-zero";
      return 0;
    }
  }
  if (op == "end") {
    if ((record.FindField(event, "latitude") == nullptr) !=
        (record.FindField(event, "longitude") == nullptr)) {
      problem = "\"latitude\" and \"longitude\" come together";
      return 0;
    }
    const std::string outcome = record.Text(*record.FindField(event, "outcome"));
    if (outcome != "shown" && outcome != "message") {
      problem = "\"outcome\" is neither \"shown\" nor \"message\"";
      return 0;
    }
  }
  return 1;
}

int ReadOperation(const std::vector<JsonMember>& members, int version, TraceRecord& record,
                  std::string& problem) {
  const JsonMember* time = Member(members, "t");
  const JsonMember* op = Member(members, "op");
  if (!time || time->kind != JsonMember::kInteger || time->negative) {
    problem = "expected \"t\", the milliseconds since the run began";
    return 0;
  }
  if (time->magnitude > kLatestTraceMs) {
    problem = "\"t\" is beyond " + std::to_string(kLatestTraceMs) + " ms, which no run reaches";
    return 0;
  }
  if (!op || op->kind != JsonMember::kText) {
    problem = "expected \"op\", the operation's name";
    return 0;
  }
  const TraceOperationShape* shape = FindTraceOperation(op->text.data(), op->text.size());
  if (!shape) {
    problem = "unknown operation " + Quoted(op->text);
    return 0;
  }
  for (std::size_t i = 0; i < members.size(); ++i) {
    for (std::size_t j = 0; j < i; ++j) {
      if (members[i].name == members[j].name) {
        problem = Quoted(members[i].name) + " given twice";
        return 0;
      }
    }
    bool known = members[i].name == "t" || members[i].name == "op";
    for (unsigned int f = 0; f < shape->fieldCount && !known; ++f) {
      known = members[i].name == shape->fields[f].name &&
              TraceFieldInVersion(shape->fields[f], version);
    }
    if (!known) {
      problem = Quoted(op->text) + " has no field " + Quoted(members[i].name);
      return 0;
    }
  }
  record.Begin(time->magnitude, shape->op);
  for (unsigned int f = 0; f < shape->fieldCount; ++f) {
    if (!TraceFieldInVersion(shape->fields[f], version)) continue;
    const JsonMember* member = Member(members, shape->fields[f].name);
    if (!member && !shape->fields[f].optional) {
      problem = Quoted(op->text) + " lacks " + Quoted(shape->fields[f].name);
      return 0;
    }
    if (member && !AddField(record, shape->fields[f], *member, problem)) return 0;
  }
  return CheckConsistency(record, record.Event(record.Size() - 1), problem);
}

bool IsLastLine(const TraceRecord& record) {
  const char* op = record.Event(record.Size() - 1).op;
  return std::strcmp(op, "end") == 0 || std::strcmp(op, "cut") == 0;
}

}  // namespace

int ReadTrace(std::string_view bytes, RecordedTrace& trace, std::string& error) {
  if (bytes.empty()) return Fail(error, 1, "the file is empty: not a posrelay trace");
  std::vector<JsonMember> members;
  std::string problem;
  std::size_t lineNumber = 0;
  bool ended = false;
  for (std::size_t start = 0; start < bytes.size();) {
    std::size_t end = bytes.find('\n', start);
    if (end == std::string_view::npos) end = bytes.size();
    const std::string_view line = bytes.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (ended) return Fail(error, lineNumber, "nothing may follow the trace's last line");
    if (!ParseJsonLine(line, members, problem)) {
      if (end == bytes.size() && lineNumber > 1) problem += ": the trace stops mid-line, truncated";
      return Fail(error, lineNumber, problem);
    }
    if (lineNumber == 1) {
      if (!ReadHeader(members, trace, error)) return 0;
      continue;
    }
    TraceRecord& record = trace.operations;
    if (!ReadOperation(members, trace.version, record, problem)) {
      return Fail(error, lineNumber, problem);
    }
    if (!IsLastLine(record)) {
      trace.lines.push_back(lineNumber);
      continue;
    }
    // The last line is kept apart from the operations it follows.
    const TraceEvent last = record.Event(record.Size() - 1);
    trace.last.Copy(record, last);
    TraceRecord operations;
    for (std::size_t i = 0; i + 1 < record.Size(); ++i) operations.Copy(record, record.Event(i));
    trace.operations = std::move(operations);
    trace.lastLine = lineNumber;
    trace.cut = std::strcmp(last.op, "cut") == 0;
    ended = true;
  }
  const TraceRecord& operations = trace.operations;
  trace.unfinished = !ended && operations.Size() > 0 && bytes.back() == '\n' &&
                     std::strcmp(operations.Event(operations.Size() - 1).op, "message") == 0;
  if (!ended && !trace.unfinished) {
    return Fail(error, lineNumber + 1, "the trace stops without its end line: it is truncated");
  }
  if (trace.unfinished) trace.lastLine = lineNumber;
  return 1;
}
