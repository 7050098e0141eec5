// posrelay-sim --print-scenario and --answer-module, run as a process: a
// scenario's handset as printed, and its module answering outside a dry run.
#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "tests/posrelay_sim/tool_run.h"

namespace {

// Each scenario, the default handset and one that gives what the defaults
// leave out: printed, read back and printed again, the same text, and a dry
// run on the printed one is the original's.
TEST(PosrelaySim, PrintedScenarioReadsBackAsTheSameHandset) {
  const std::string ownHandles = WriteTemp(
      "{\"map\": {\"closesAfterMs\": null, \"appearsAfterMs\": null}, \"missingFunctions\": "
      "[\"RasHangUp\", \"RasEnumConnections\"], \"connections\": [{\"handle\": 0}, "
      "{\"name\": \"\\u0000\\\"\", \"handle\": 4294967295}], \"module\": {\"port\": \"COM3:\", "
      "\"positionReplies\": []}, \"internet\": {\"opens\": false, \"bytes\": 0}, "
      "\"faults\": [{\"fault\": \"probeReadFails\", \"call\": 3}, "
      "{\"fault\": \"serialReadZeroByte\", \"value\": 2}]}");
  std::vector<std::string> scenarios = {"", "'" + ownHandles + "'"};
  for (const char* name : {"busy_handset.json", "map_does_not_start.json", "map_never_closes.json",
                           "map_shows_no_window.json", "name_after_zero_byte.json", "offline.json",
                           "slow_module_no_position.json"}) {
    scenarios.push_back(Data(name));
  }
  for (const std::string& scenario : scenarios) {
    SCOPED_TRACE(scenario);
    const std::string given = scenario.empty() ? "" : "--scenario " + scenario + " ";
    const ToolResult printed = RunTool(given + "--print-scenario");
    ASSERT_EQ(printed.status, 0) << printed.err;
    const std::string path = WriteTemp(printed.out);
    const ToolResult again = RunTool("--scenario '" + path + "' --print-scenario");
    const ToolResult original = RunTool(given + "--format json");
    const ToolResult reread = RunTool("--scenario '" + path + "' --format json");
    std::remove(path.c_str());
    EXPECT_EQ(again.out, printed.out);
    EXPECT_EQ(reread.out, original.out);
    EXPECT_EQ(reread.status, original.status);
  }
  const ToolResult handles = RunTool("--scenario '" + ownHandles + "' --print-scenario");
  std::remove(ownHandles.c_str());
  for (const char* field : {"\"handle\": 0}", "\"handle\": 4294967295}", "\"closesAfterMs\": null",
                            "{\"fault\": \"probeReadFails\", \"call\": 3}"}) {
    EXPECT_NE(handles.out.find(field), std::string::npos) << handles.out;
  }
  EXPECT_NE(handles.out.find("\"missingFunctions\": [\"RasEnumConnections\", \"RasHangUp\"]"),
            std::string::npos);
}

// What --answer-module answers: one line per command ended, with the reply
// the scenario's module gives, as text and bytes.
struct Answer {
  std::string command;
  std::string reply;
  std::string hex;
};

std::vector<Answer> AnswersTo(const std::string& given, const std::string& bytes, int& status) {
  const std::string input = WriteTemp(bytes);
  const ToolResult result = RunTool(given + "--answer-module <'" + input + "'");
  std::remove(input.c_str());
  status = result.status;
  std::vector<Answer> answers;
  for (const nlohmann::json& line : JsonLines(result.out)) {
    answers.push_back(
        {line.value("command", "?"), line.value("reply", "?"), line.value("hex", "?")});
  }
  return answers;
}

// Every command of each scenario's dry run gets from --answer-module what
// the dry run read after it.
TEST(PosrelaySim, AnsweredModuleRepliesAsTheDryRunsModule) {
  for (const std::string& scenario :
       {std::string(), Data("busy_handset.json"), Data("map_never_closes.json"),
        Data("name_after_zero_byte.json"), Data("offline.json"),
        Data("slow_module_no_position.json")}) {
    SCOPED_TRACE(scenario);
    const std::string given = scenario.empty() ? "" : "--scenario " + scenario + " ";
    std::vector<Answer> expected;
    std::string written;
    for (const nlohmann::json& line : JsonLines(RunTool(given + "--format json").out)) {
      if (line["op"] == "write") {
        written += line["text"].get<std::string>();
        expected.push_back({line["text"], "", ""});
      } else if (line["op"] == "read" && !expected.empty()) {
        expected.back().reply += line["text"].get<std::string>();
      }
    }
    int status = -1;
    const std::vector<Answer> answers = AnswersTo(given, written, status);
    EXPECT_EQ(status, 0);
    ASSERT_EQ(answers.size(), expected.size());
    for (std::size_t i = 0; i < answers.size(); ++i) {
      EXPECT_EQ(answers[i].command, expected[i].command) << i;
      EXPECT_EQ(answers[i].reply, expected[i].reply) << i;
    }
  }
}

TEST(PosrelaySim, AnsweredModuleFramesEachCommandAndNeedsAPort) {
  const struct {
    const char* scenario;  // its JSON; empty: the default handset
    const char* input;
    int status;
    std::vector<std::vector<std::string> > answers;  // command, reply, hex
  } cases[] = {
      // A command is answered once its carriage return arrives, whatever
      // came before it; an unknown one gets OK, an unended one nothing.
      {"",
       "AT\rI4\rATI4\rAT@LBC?\rATZ",
       0,
       {{"AT\r", "\r\nOK\r\n", "0d0a4f4b0d0a"},
        {"I4\r", "\r\nOK\r\n", "0d0a4f4b0d0a"},
        {"ATI4\r", "\r\nRX410\r\n\r\nOK\r\n", "0d0a52583431300d0a0d0a4f4b0d0a"},
        {"AT@LBC?\r", "\r\n@LBC: N35.41.22,E139.45.12\r\n\r\nOK\r\n",
         "0d0a404c42433a204e33352e34312e32322c453133392e34352e31320d0a0d0a4f4b0d0a"}}},
      // Replies in order, the last repeating; none given: OK; a reply the
      // module does not give is an empty line's worth, not a missing line.
      {"{\"module\": {\"identification\": \"\", \"positionReplies\": [\"1\", \"位\"]}}",
       "ATI4\rAT@LBC?\rAT@LBC?\rAT@LBC?\r",
       0,
       {{"ATI4\r", "", ""},
        {"AT@LBC?\r", "1", "31"},
        {"AT@LBC?\r", "位", "88ca"},
        {"AT@LBC?\r", "位", "88ca"}}},
      {"{\"module\": {\"positionReplies\": []}}",
       "AT@LBC?\r",
       0,
       {{"AT@LBC?\r", "\r\nOK\r\n", "0d0a4f4b0d0a"}}},
      {"{\"module\": {\"portExists\": false}}", "ATI4\r", 2, {}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.input);
    const std::string path = WriteTemp(c.scenario);
    int status = -1;
    const std::vector<Answer> answers =
        AnswersTo(*c.scenario ? "--scenario '" + path + "' " : "", c.input, status);
    std::remove(path.c_str());
    EXPECT_EQ(status, c.status);
    ASSERT_EQ(answers.size(), c.answers.size());
    for (std::size_t i = 0; i < answers.size(); ++i) {
      EXPECT_EQ(answers[i].command, c.answers[i][0]) << i;
      EXPECT_EQ(answers[i].reply, c.answers[i][1]) << i;
      EXPECT_EQ(answers[i].hex, c.answers[i][2]) << i;
    }
  }
}

}  // namespace
