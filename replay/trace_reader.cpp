#include "replay/trace_reader.h"

#include <algorithm>
#include <climits>
#include <cstdint>

#include "mapctl/connectivity_probe.h"
#include "position/serial_channel.h"
#include "replay/hex_decoding.h"
#include "replay/json_line.h"
#include "replay/trace_player.h"
#include "settings/settings_file.h"
#include "simulator/quoted_text.h"
#include "simulator/text_encoding.h"
#include "trace/trace_operations.h"
#include "trace/trace_writer.h"

namespace {

int Fail(std::string& error, std::size_t line, const std::string& what) {
  error = "line " + std::to_string(line) + ": " + what;
  return 0;
}

// A name from the file, quoted and escaped so that a message stays one line.
std::string Quoted(std::string_view name) { return QuotedText(name, kExactQuoting); }

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
    trace.refusal = kTraceNotATrace;
    return Fail(error, 1,
                "not a posrelay trace: the first line has no \"format\":\"" +
                    std::string(kTraceFormatName) + "\"");
  }
  const JsonMember* version = Member(members, "version");
  if (!version || version->kind != JsonMember::kInteger) {
    return Fail(error, 1, "the header has no whole \"version\"");
  }
  if (!version->negative && version->magnitude > kTraceFormatVersion) {
    trace.refusal = kTraceNewerFormat;
    trace.version = static_cast<int>(std::min<std::uint64_t>(version->magnitude, INT_MAX));
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
  if (!system || (system->text != kTraceSystemHandset && system->text != kTraceSystemDesktop &&
                  system->text != kTraceSystemSimulated)) {
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

// Whether `text` is what a system shows for `bytes` in code page 932: each
// character of the code page as itself, and each byte that is none as any
// one character, since systems differ on what they show for those. Windows
// reads a lead byte and any byte but zero after it as one character (0x81
// 0xFF as one U+30FB), and the bytes 0xA0 and 0xFD-0xFF, no character
// elsewhere, as U+F8F0-U+F8F3; other systems read such a pair as two, so
// both are tried: reach[j] says that the bytes so far can show as the first
// j characters.
bool ShowsCodePageBytes(const std::string& bytes, const std::wstring& text) {
  const std::size_t n = bytes.size();
  const std::size_t m = text.size();
  if (m > n || 2 * m < n) return false;
  const wchar_t kUndecodable = 0x30FB;
  const std::string undecodableBytes = WideToCp932(std::wstring(1, kUndecodable));
  // The character `unit` decodes to; 0 with `none` set when it is no character.
  auto decode = [&](std::string_view unit, bool& none) {
    const std::wstring wide = Cp932ToWide(unit);
    none = wide.size() != 1 || (wide[0] == kUndecodable && unit != undecodableBytes) ||
           (wide[0] >= 0xF8F0 && wide[0] <= 0xF8F3);
    return none ? L'\0' : wide[0];
  };
  std::vector<char> rows[3] = {std::vector<char>(m + 1), std::vector<char>(m + 1),
                               std::vector<char>(m + 1)};
  rows[0][0] = 1;
  for (std::size_t i = 0; i < n; ++i) {
    const std::vector<char>& reach = rows[i % 3];
    std::vector<char>& next = rows[(i + 1) % 3];
    std::vector<char>& afterNext = rows[(i + 2) % 3];
    std::fill(afterNext.begin(), afterNext.end(), 0);
    const bool pair =
        i + 1 < n && IsCp932LeadByte(static_cast<unsigned char>(bytes[i])) && bytes[i + 1] != '\0';
    bool oneNone = false;
    bool pairNone = false;
    const wchar_t one = decode(std::string_view(bytes).substr(i, 1), oneNone);
    const wchar_t two = pair ? decode(std::string_view(bytes).substr(i, 2), pairNone) : 0;
    // A byte stands alone unless it begins a character of two bytes.
    const bool alone = !pair || pairNone;
    for (std::size_t j = 0; j < m; ++j) {
      if (!reach[j]) continue;
      if (alone && (oneNone || text[j] == one)) next[j + 1] = 1;
      if (pair && (pairNone || text[j] == two)) afterNext[j + 1] = 1;
    }
  }
  return rows[n % 3][m] != 0;
}

// A text of bytes must stand for them: without a hex, the text must give
// its bytes back. With one, the bytes are the hex's and the text is the
// recording system's own conversion of them, which must show each of
// their characters as itself.
int CheckCodePageText(const TraceRecord& record, const TraceEvent& event, std::string& problem) {
  const TraceField* text = record.FindField(event, kFieldText);
  const TraceField* hex = record.FindField(event, kFieldHex);
  if (hex && !text) {
    problem = "\"hex\" without \"text\"";
    return 0;
  }
  if (!text) return 1;
  std::string bytes;
  if (hex && !DecodeHexText(record.TextData(*hex), hex->textLength, bytes)) {
    problem = "\"hex\" is not an even number of hex digits";
    return 0;
  }
  if (!hex) {
    bytes = RecordedBytes(record, event);
    if (WideToUtf8(Cp932ToWide(bytes)) == record.Text(*text)) return 1;
    problem = "\"text\" does not give its bytes back in code page 932; give them in \"hex\"";
    return 0;
  }
  std::wstring shown;
  Utf8ToWide(record.Text(*text), shown);
  if (ShowsCodePageBytes(bytes, shown)) return 1;
  problem = "\"text\" is not what \"hex\" holds in code page 932";
  return 0;
}

// What the launcher asked of a read: the size the operation gives, or the
// most the launcher ever asks.
TraceNumber AskedBytes(const TraceRecord& record, const TraceEvent& event, TraceNumber most) {
  const TraceField* capacity = record.FindField(event, kFieldCapacity);
  return capacity && capacity->kind == kTraceNumber ? capacity->value.number : most;
}

int Within(const std::string& subject, TraceNumber value, TraceNumber most, const char* what,
           std::string& problem) {
  if (value >= 0 && value <= most) return 1;
  problem = subject + " is " +
            (value < 0 ? std::string("below 0") : "more than the " + std::to_string(most) + what);
  return 0;
}

std::string Named(const char* name, TraceNumber value) {
  return "\"" + std::string(name) + "\" " + std::to_string(value);
}

// Counts and bytes within what the launcher asked and what it passed.
int CheckCounts(const TraceRecord& record, const TraceEvent& event, std::string& problem) {
  const TraceField* count = record.FindField(event, kFieldCount);
  if (event.op == kOpWrite) {
    const TraceNumber given = static_cast<TraceNumber>(RecordedBytes(record, event).size());
    return Within(Named(kFieldCount, count->value.number), count->value.number, given,
                  " bytes written", problem);
  }
  if (event.op == kOpRead) {
    const TraceNumber asked = AskedBytes(record, event, kChannelBufferBytes);
    if (!Within(Named(kFieldCount, count->value.number), count->value.number, asked, " bytes asked",
                problem)) {
      return 0;
    }
    const std::size_t held = RecordedBytes(record, event).size();
    if (held == static_cast<std::size_t>(count->value.number)) return 1;
    problem = "\"text\" holds " + std::to_string(held) + " bytes and \"count\" says " +
              std::to_string(count->value.number);
    return 0;
  }
  if (event.op == kOpReadLine && record.FindField(event, kFieldText)) {
    const TraceNumber held = static_cast<TraceNumber>(RecordedBytes(record, event).size());
    return Within("a line of " + std::to_string(held) + " bytes", held,
                  AskedBytes(record, event, kSettingsPieceBytes), " bytes asked", problem);
  }
  if (event.op == kOpInternetRead) {
    const TraceNumber read = record.FindField(event, kFieldBytes)->value.number;
    return Within(Named(kFieldBytes, read), read, AskedBytes(record, event, kProbeBytes),
                  " bytes asked", problem);
  }
  return 1;
}

// Fields whose values depend on each other.
int CheckConsistency(const TraceRecord& record, const TraceEvent& event, std::string& problem) {
  const TraceOp op = event.op;
  if (op == kOpReadLine || op == kOpRead || op == kOpWrite) {
    if (!CheckCodePageText(record, event, problem)) return 0;
  }
  if (!CheckCounts(record, event, problem)) return 0;
  if (op == kOpReadLine) {
    const bool ok = record.FindField(event, kFieldOk)->value.number != 0;
    if (ok != (record.FindField(event, kFieldText) != nullptr)) {
      problem = "a line read has \"text\" and \"ok\":true, the end of the file neither";
      return 0;
    }
  }
  if (op == kOpFindWindow) {
    const bool found = record.FindField(event, kFieldFound)->value.number != 0;
    if (found != (record.FindField(event, kFieldWindow)->value.number != 0)) {
      problem = "\"found\" must say whether \"window\" is non-zero";
      return 0;
    }
  }
  if (op == kOpEnd) {
    if ((record.FindField(event, kFieldLatitude) == nullptr) !=
        (record.FindField(event, kFieldLongitude) == nullptr)) {
      problem = "\"latitude\" and \"longitude\" come together";
      return 0;
    }
    const std::string outcome = record.Text(*record.FindField(event, kFieldOutcome));
    if (outcome != kTraceOutcomeShown && outcome != kTraceOutcomeMessage) {
      problem = "\"outcome\" is neither \"" + std::string(kTraceOutcomeShown) + "\" nor \"" +
                kTraceOutcomeMessage + "\"";
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
  if (version < shape->firstVersion) {
    problem = Quoted(op->text) + " is not in format version " + std::to_string(version);
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
  const TraceOp op = record.Event(record.Size() - 1).op;
  return op == kOpEnd || op == kOpCut;
}

// The cut line where the recorder writes it: at its bound, after more
// than the bound less the longest line, since the line that did not fit
// is the reason for the cut.
// Where the recorder cuts: version 1 at its bound, and stopped there;
// version 2 where the run's beginning ends, keeping its last part after the
// cut line.
int CheckCut(const TraceRecord& cut, int version, std::size_t bytesBefore, std::string& problem) {
  const TraceNumber limit = cut.Field(cut.Event(0), 0).value.number;
  if (limit != static_cast<TraceNumber>(kTraceLimitBytes)) {
    problem = "a cut at a bound of " + std::to_string(limit) + " bytes; the recorder's is " +
              std::to_string(kTraceLimitBytes);
    return 0;
  }
  const std::size_t at = version >= 2 ? kTraceHeadBytes : kTraceLimitBytes;
  if (bytesBefore <= at && bytesBefore + kLongestTraceLineBytes > at) return 1;
  problem = "a cut after " + std::to_string(bytesBefore) +
            " bytes, which is not at the recorder's " +
            (version >= 2 ? "bound of " + std::to_string(at) + " bytes for a run's beginning"
                          : "bound of " + std::to_string(at) + " bytes") +
            ": the recorder does not cut there";
  return 0;
}

int ReadTraceLines(std::string_view bytes, RecordedTrace& trace, std::string& error,
                   std::size_t& lineNumber) {
  if (bytes.size() > kLargestTraceFileBytes) {
    trace.refusal = kTraceTooLarge;
    error = "more than " + std::to_string(kLargestTraceFileBytes) +
            " bytes: not a posrelay trace, which stops at " + std::to_string(kTraceLimitBytes);
    return 0;
  }
  if (bytes.empty()) {
    trace.refusal = kTraceEmpty;
    return Fail(error, 1, "the file is empty: not a posrelay trace");
  }
  std::vector<JsonMember> members;
  std::string problem;
  bool ended = false;
  TraceTime previousMs = 0;
  for (std::size_t start = 0; start < bytes.size();) {
    // Only as far as a line can reach is looked at, whatever follows.
    const std::string_view rest = bytes.substr(start);
    std::size_t length = rest.substr(0, kLongestTraceLineBytes + 1).find('\n');
    if (length == std::string_view::npos) length = rest.size();
    ++lineNumber;
    if (length > kLongestTraceLineBytes) {
      return Fail(error, lineNumber,
                  "longer than " + std::to_string(kLongestTraceLineBytes) +
                      " bytes, more than any line the recorder writes");
    }
    const std::string_view line = rest.substr(0, length);
    const std::size_t lineStart = start;
    start += length + 1;
    if (ended) return Fail(error, lineNumber, "nothing may follow the trace's last line");
    if (!ParseJsonLine(line, members, problem)) {
      // A run stopped while its trace was being written leaves its last
      // line cut part-way; anywhere else, an unreadable line is not that.
      if (start >= bytes.size() && lineNumber > 1) {
        trace.brokenLine = lineNumber;
        break;
      }
      if (lineNumber == 1) trace.refusal = kTraceNotATrace;
      return Fail(error, lineNumber, problem);
    }
    if (lineNumber == 1) {
      if (!ReadHeader(members, trace, error)) return 0;
      continue;
    }
    // Past a cut of version 2 comes the run's last part, up to its end.
    TraceRecord& record = trace.cut ? trace.tail : trace.operations;
    if (!ReadOperation(members, trace.version, record, problem)) {
      return Fail(error, lineNumber, problem);
    }
    const TraceEvent& event = record.Event(record.Size() - 1);
    if (event.timeMs < previousMs) {
      return Fail(error, lineNumber,
                  "\"t\" " + std::to_string(event.timeMs) + " is before the previous line's " +
                      std::to_string(previousMs) + ": times never go backwards");
    }
    previousMs = event.timeMs;
    if (trace.cut) {
      if (event.op == kOpCut) {
        return Fail(error, lineNumber, "a second cut: the recorder cuts a trace once");
      }
      ended = event.op == kOpEnd;
      continue;
    }
    if (!IsLastLine(record)) {
      trace.lines.push_back(lineNumber);
      continue;
    }
    // The last line is kept apart from the operations it follows.
    const TraceEvent last = event;
    trace.last.Copy(record, last);
    TraceRecord operations;
    for (std::size_t i = 0; i + 1 < record.Size(); ++i) operations.Copy(record, record.Event(i));
    trace.operations = std::move(operations);
    trace.lastLine = lineNumber;
    trace.cut = last.op == kOpCut;
    if (trace.cut && !CheckCut(trace.last, trace.version, lineStart, problem)) {
      return Fail(error, lineNumber, problem);
    }
    ended = !trace.cut || trace.version < 2;
  }
  if (!ended && !trace.cut) {
    trace.interrupted = true;
    trace.lastLine = lineNumber;
  }
  return 1;
}

}  // namespace

int ReadTrace(std::string_view bytes, RecordedTrace& trace, std::string& error) {
  std::size_t lineNumber = 0;
  if (ReadTraceLines(bytes, trace, error, lineNumber)) return 1;
  if (trace.refusal == kTraceNotRefused) trace.refusal = kTraceDamagedLine;
  trace.refusedLine = lineNumber;
  return 0;
}

const TraceOperationShape* FindTraceOperation(const char* op, std::size_t length) {
  for (int i = 0; i < kTraceOpCount; ++i) {
    const TraceOperationShape& shape = TraceOperationOf(static_cast<TraceOp>(i));
    if (std::string_view(shape.name) == std::string_view(op, length)) return &shape;
  }
  return nullptr;
}
