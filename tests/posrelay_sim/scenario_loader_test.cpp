#include "scenario/scenario_loader.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "simulator/text_encoding.h"

namespace {

// JSON written with single quotes, which need no escaping here.
std::string Json(std::string text) {
  std::replace(text.begin(), text.end(), '\'', '"');
  return text;
}

TEST(LoadScenario, ReadsEveryFieldOverTheDefaultHandset) {
  const std::string json = Json(
      "{'map': {'running': true, 'closesAfterMs': null, 'appearsAfterMs': 2500},"
      " 'missingFunctions': ['RasHangUp'],"
      " 'connections': [{'name': 'Office'},"
      "                 {'name': 'CLUB AIR-EDGE', 'handle': 0, 'hangUpSucceeds': false}],"
      " 'module': {'port': 'COM3:', 'identification': '',"
      "            'positionReplies': ['ERROR', '位置 N35.41.22,E139.45.12']},"
      " 'internet': {'bytes': 0},"
      " 'faults': [{'fault': 'serialReadFails'},"
      "            {'fault': 'connectionListMiscounts', 'value': 11, 'call': 2}]}");
  HandsetScenario scenario;
  std::string error;
  ASSERT_EQ(LoadScenario(json, scenario, error), 1) << error;
  EXPECT_TRUE(scenario.map.running);
  EXPECT_EQ(scenario.map.closesAfterMs, std::nullopt);
  EXPECT_EQ(scenario.map.appearsAfterMs, 2500u);
  EXPECT_TRUE(scenario.map.executableExists) << "absent fields keep their defaults";
  EXPECT_EQ(scenario.missingFunctions, std::set<std::wstring>{L"RasHangUp"});
  ASSERT_EQ(scenario.connections.size(), 2u);
  EXPECT_EQ(scenario.connections[0].name, "Office");
  EXPECT_EQ(scenario.connections[0].handle, std::nullopt);
  EXPECT_EQ(scenario.connections[1].handle, 0u);
  EXPECT_FALSE(scenario.connections[1].hangUpSucceeds);
  EXPECT_EQ(scenario.module.port, L"COM3:");
  EXPECT_EQ(scenario.module.identification, "");
  ASSERT_EQ(scenario.module.positionReplies.size(), 2u);
  EXPECT_EQ(scenario.module.positionReplies[1], WideToCp932(L"位置 N35.41.22,E139.45.12"))
      << "the module sends Shift-JIS";
  EXPECT_EQ(scenario.internet.bytes, 0);
  EXPECT_TRUE(scenario.internet.reachable);
  ASSERT_EQ(scenario.faults.size(), 2u);
  EXPECT_EQ(scenario.faults[0].kind, kSerialReadFails);
  EXPECT_EQ(scenario.faults[0].value, std::nullopt);
  EXPECT_EQ(scenario.faults[0].call, std::nullopt);
  EXPECT_EQ(scenario.faults[1].kind, kConnectionListMiscounts);
  EXPECT_EQ(scenario.faults[1].value, 11);
  EXPECT_EQ(scenario.faults[1].call, 2u);
}

TEST(LoadScenario, NamesTheFieldThatIsWrong) {
  const struct {
    const char* json;
    const char* error;
  } cases[] = {
      {"[]", "top level: expected an object"},
      {"{'mapp': {}}", "mapp: unknown field"},
      {"{'module': {'ports': 'COM1:'}}", "module.ports: unknown field"},
      {"{'connections': [{}, {'nam': 'x'}]}", "connections[1].nam: unknown field"},
      {"{'module': {'positionReplies': ['N1', 2]}}",
       "module.positionReplies[1]: expected a string"},
      {"{'rasLibrary': 'yes'}", "rasLibrary: expected true or false"},
      {"{'map': {'closesAfterMs': -1}}",
       "map.closesAfterMs: expected null or an integer from 0 to 4611686018427387904"},
      {"{'map': {'appearsAfterMs': 1.5}}",
       "map.appearsAfterMs: expected null or an integer from 0 to 4611686018427387904"},
      {"{'connections': [{'handle': 4294967296}]}",
       "connections[0].handle: expected an integer from 0 to 4294967295"},
      {"{'internet': {'bytes': -1}}", "internet.bytes: expected an integer from 0 to 2147483647"},
      {"{'faults': [{'value': 1}]}", "faults[0].fault: missing"},
      {"{'faults': [{'fault': 'serialReadSlow'}]}", "faults[0].fault: unknown fault"},
      {"{'faults': [{'fault': 'serialReadFails', 'call': 0}]}",
       "faults[0].call: expected an integer from 1 to 1000000"},
      {"{'faults': [{'fault': 'serialReadOverstates', 'value': 1000001}]}",
       "faults[0].value: expected an integer from 0 to 1000000"},
      {"{'map': {'running': true},}",
       "malformed JSON: parse error at line 1, column 27: syntax error while parsing object key "
       "- unexpected '}'; expected string literal"},
      {"{'map': {'closesAfterMs': 1e400}}", "malformed JSON: number overflow parsing '1e400'"},
      {"",
       "malformed JSON: parse error at line 1, column 1: syntax error while parsing value - "
       "unexpected end of input; expected '[', '{', or a literal"},
  };
  for (const auto& c : cases) {
    HandsetScenario scenario;
    scenario.map.running = true;
    std::string error;
    EXPECT_EQ(LoadScenario(Json(c.json), scenario, error), 0) << c.json;
    EXPECT_EQ(error, c.error) << c.json;
    EXPECT_TRUE(scenario.map.running) << "a failed load leaves the scenario alone: " << c.json;
  }
}

}  // namespace
