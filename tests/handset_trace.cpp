#include "tests/handset_trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/launch_sequence.h"
#include "replay/trace_player.h"
#include "shell/res/version.h"
#include "trace/trace_operations.h"
#include "trace/trace_recorder.h"
#include "trace/trace_writer.h"

namespace {

// One operation's fields, looked up by name.
struct Fields {
  const TraceRecord& record;
  const TraceEvent& event;

  TraceNumber Value(const char* name) const { return record.FindField(event, name)->value.number; }
  std::string Number(const char* name) const {
    const TraceField* field = record.FindField(event, name);
    return field ? std::to_string(field->value.number) : "?";
  }
  std::string Ok() const {
    const TraceField* field = record.FindField(event, "ok");
    return field && field->value.number ? "ok" : "failed";
  }
};

// Internet handles by what they were opened as: the probe's page, or the
// internet itself.
using UrlHandles = std::vector<TraceNumber>;

std::string Word(const Fields& event, const UrlHandles& urls) {
  const std::string op = TraceOpName(event.event.op);
  if (op == "sleep") return "sleep:" + event.Number("ms");
  if (op == "find_window") {
    return event.Value("found") ? "find:" + event.Number("window") : "find:none";
  }
  if (op == "foreground") return "front:" + event.Number("window");
  if (op == "post_message") {
    return "post:" + event.Number("window") + ":" + event.Number("message") + ":" +
           event.Number("wparam") + (event.Value("lparam") ? ":" + event.Number("lparam") : "");
  }
  if (op == "create_process") return "start:" + event.Ok();
  if (op == "key") {
    const char key = static_cast<char>(event.Value("vk"));
    return std::string(event.Value("down") ? "down:" : "up:") + key;
  }
  if (op == "registry_open") return "reg_open:" + event.Ok();
  if (op == "registry_set") {
    return "reg_set:" + event.record.Text(*event.record.FindField(event.event, "name")) + "=" +
           event.Number("value");
  }
  if (op == "registry_close") return "reg_close";
  if (op == "internet_open") return "net_open:" + event.Ok();
  if (op == "internet_set_option") {
    return "net_option:" + event.Number("option") + "=" + event.Number("value") + "/" +
           event.Number("size");
  }
  if (op == "open_url") return "open_url:" + event.Ok();
  if (op == "internet_read") return "net_read:" + event.Number("bytes");
  if (op == "internet_close") {
    const bool url = std::count(urls.begin(), urls.end(), event.Value("handle")) > 0;
    return url ? "net_close:url" : "net_close:internet";
  }
  if (op == "quit") return "quit:" + event.Number("code");
  return op;
}

// How many times the `group` words at `start` occur in a row.
std::size_t Repeats(const std::vector<std::string>& words, std::size_t start, std::size_t group) {
  std::size_t repeats = 1;
  while (start + (repeats + 1) * group <= words.size() &&
         std::equal(words.begin() + start, words.begin() + start + group,
                    words.begin() + start + repeats * group)) {
    ++repeats;
  }
  return repeats;
}

// The fields an operation has, in the vocabulary's order and kinds.
bool FollowsVocabulary(const TraceRecord& record, const TraceEvent& event) {
  const TraceOperationShape* shape = &TraceOperationOf(event.op);
  std::size_t next = 0;
  for (unsigned int f = 0; f < shape->fieldCount; ++f) {
    if (!TraceFieldInVersion(shape->fields[f], kTraceFormatVersion)) continue;
    const TraceField* field = next < event.fieldCount ? &record.Field(event, next) : nullptr;
    if (field && std::strcmp(field->name, shape->fields[f].name) == 0 &&
        field->kind == shape->fields[f].kind) {
      ++next;
    } else if (!shape->fields[f].optional) {
      return false;
    }
  }
  return next == event.fieldCount;
}

}  // namespace

const TraceOrigin kHandsetOrigin = {"handset",         POSRELAY_VERSION_DOTTED, "abc",
                                    "Windows CE 4.20", "2026-12-08T01:20:38",   932};

std::string Trace(const SimulatedHandset& handset) { return Trace(handset, {}); }

std::string Trace(const SimulatedHandset& handset, std::initializer_list<std::string_view> ops) {
  std::vector<std::string> words;
  UrlHandles urls;
  const TraceRecord& operations = handset.GetTimeline().Operations();
  for (const TraceEvent& event : operations.Events()) {
    const Fields fields = {operations, event};
    if (event.op == kOpOpenUrl) urls.push_back(fields.Value("handle"));
    if (ops.size() == 0 || std::find(ops.begin(), ops.end(), TraceOpName(event.op)) != ops.end()) {
      words.push_back(Word(fields, urls));
    }
  }
  const std::size_t kMinRepeats = 3;
  std::string trace;
  for (std::size_t i = 0; i < words.size();) {
    if (!trace.empty()) trace += ' ';
    std::size_t group = 1;
    std::size_t repeats = Repeats(words, i, group);
    while (repeats < kMinRepeats && group < 3) repeats = Repeats(words, i, ++group);
    if (repeats < kMinRepeats) {
      trace += words[i++];
      continue;
    }
    trace += '(';
    for (std::size_t w = 0; w < group; ++w) trace += (w ? " " : "") + words[i + w];
    trace += ")x" + std::to_string(repeats);
    i += repeats * group;
  }
  return trace;
}

void ExpectLedgerClean(const SimulatedHandset& handset) {
  EXPECT_EQ(handset.Ledger().Unreleased(), std::vector<std::string>());
  EXPECT_EQ(handset.Ledger().Faults(), std::vector<std::string>());
}

void ExpectTraceAgrees(const SimulatedHandset& handset) {
  const TraceRecord& operations = handset.GetTimeline().Operations();
  RunOutcome outcome;
  StartRunOutcome(outcome);
  std::string lines;
  for (std::size_t i = 0; i < operations.Size(); ++i) {
    EXPECT_TRUE(FollowsVocabulary(operations, operations.Event(i))) << i;
    AppendTraceLine(operations, operations.Event(i), lines);
    NoteRunOperation(outcome, operations, operations.Event(i));
  }
  TraceRecord end;
  RecordRunEnd(end, handset.NowMs(), outcome);
  AppendTraceLine(end, end.Event(0), lines);

  // One twin, started over for each run: every run also shows that a handset
  // reset after another run behaves as a new one.
  static SimulatedHandset twin;
  twin.Reset(handset.Scenario());
  TextOutput output;
  twin.RunTracedLaunch(output, kHandsetOrigin);
  // The same run, and its trace: the header, then the dry run's lines.
  const TraceRecord& twinOperations = twin.GetTimeline().Operations();
  std::string twinLines;
  for (std::size_t i = 0; i < twinOperations.Size(); ++i) {
    AppendTraceLine(twinOperations, twinOperations.Event(i), twinLines);
  }
  EXPECT_EQ(twinLines + lines.substr(lines.rfind("{\"t\"")), lines);
  EXPECT_EQ(twin.Ledger().Unreleased(), handset.Ledger().Unreleased());
  EXPECT_EQ(twin.Ledger().Faults(), handset.Ledger().Faults());
  EXPECT_EQ(output.text,
            "{\"format\":\"posrelay-trace\",\"version\":2,\"system\":\"handset\","
            "\"launcher\":\"" POSRELAY_VERSION_DOTTED
            "\",\"build\":\"abc\",\"os\":\"Windows CE 4.20\","
            "\"started\":\"2026-12-08T01:20:38\",\"codepage\":932}\n" +
                lines);

  // Played back under the same recorder, every call and the end agree.
  TracePlayer player(operations, end, false, kTraceFormatVersion);
  player.PlayLaunchSequence();
  EXPECT_FALSE(player.Diverged());
  EXPECT_TRUE(player.EndMatched());
  EXPECT_EQ(player.Played(), operations.Size());
  EXPECT_EQ(player.NowMs(), handset.NowMs());
}
