#include "tests/handset_trace.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

std::string Number(const TimelineEvent& event, const char* name) {
  const TimelineField* field = event.Field(name);
  return field ? std::to_string(field->number) : "?";
}

std::string Ok(const TimelineEvent& event) {
  const TimelineField* field = event.Field("ok");
  return field && field->number ? "ok" : "failed";
}

std::string Word(const TimelineEvent& event) {
  const std::string& op = event.op;
  if (op == "sleep") return "sleep:" + Number(event, "ms");
  if (op == "find_window") {
    return event.Field("found")->number ? "find:" + Number(event, "window") : "find:none";
  }
  if (op == "foreground") return "front:" + Number(event, "window");
  if (op == "post_message") {
    return "post:" + Number(event, "window") + ":" + Number(event, "message") + ":" +
           Number(event, "wparam") +
           (event.Field("lparam")->number ? ":" + Number(event, "lparam") : "");
  }
  if (op == "create_process") return "start:" + Ok(event);
  if (op == "key") {
    const char key = static_cast<char>(event.Field("vk")->number);
    return std::string(event.Field("down")->number ? "down:" : "up:") + key;
  }
  if (op == "registry_open") return "reg_open:" + Ok(event);
  if (op == "registry_set")
    return "reg_set:" + event.Field("name")->text + "=" + Number(event, "value");
  if (op == "registry_close") return "reg_close";
  if (op == "internet_open") return "net_open:" + Ok(event);
  if (op == "internet_set_option") {
    return "net_option:" + Number(event, "option") + "=" + Number(event, "value") + "/" +
           Number(event, "size");
  }
  if (op == "open_url") return "open_url:" + Ok(event);
  if (op == "internet_read") return "net_read:" + Number(event, "bytes");
  if (op == "internet_close") return "net_close:" + event.Field("handle")->text;
  if (op == "quit") return "quit:" + Number(event, "code");
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

}  // namespace

std::string Trace(const SimulatedHandset& handset) { return Trace(handset, {}); }

std::string Trace(const SimulatedHandset& handset, std::initializer_list<std::string_view> ops) {
  std::vector<std::string> words;
  for (const TimelineEvent& event : handset.GetTimeline().Events()) {
    if (ops.size() == 0 || std::find(ops.begin(), ops.end(), event.op) != ops.end()) {
      words.push_back(Word(event));
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
