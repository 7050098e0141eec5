#include "tools/posrelay_sim/run_report.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

// A short run made by hand: a look-up, a position query whose second reply
// carries the position, a message.
void MakeRun(SimulatedHandset& handset) {
  handset.FindTopWindow(L"GoogleMapsMobile");
  handset.SleepFor(100);
  const DeviceHandle port = handset.OpenDevice(L"COM1:");
  char buffer[256];
  for (int attempt = 0; attempt < 2; ++attempt) {
    handset.WriteDevice(port, "AT@LBC?\r", 8);
    handset.SleepFor(200);
    handset.ReadDevice(port, buffer, sizeof buffer);
  }
  handset.CloseDevice(port);
  handset.ShowMessage(L"posrelay", L"モバイル Google マップの起動に失敗しました");
  handset.RequestQuit(0);
}

HandsetScenario TwoReplies() {
  HandsetScenario scenario;
  scenario.module.positionReplies = {"ERROR", "\r\n@LBC: N35.41.22,E139.45.12\r\n"};
  return scenario;
}

TEST(RunReport, SummaryTakesThePositionTheLauncherParsed) {
  SimulatedHandset handset(TwoReplies());
  MakeRun(handset);
  const RunSummary summary = SummariseRun(handset);
  EXPECT_EQ(summary.totalMs, 500u);
  EXPECT_EQ(summary.message, "モバイル Google マップの起動に失敗しました");
  ASSERT_TRUE(summary.position);
  EXPECT_EQ(summary.position->latitude, 35.69266981057444);
  EXPECT_EQ(summary.position->longitude, 139.75012472663002);

  HandsetScenario noPosition;
  noPosition.module.positionReplies = {"ERROR"};
  SimulatedHandset without(noPosition);
  MakeRun(without);
  EXPECT_FALSE(SummariseRun(without).position);
}

TEST(RunReport, JsonLinesCarryEveryFieldAndEscapeControlCharacters) {
  SimulatedHandset handset(TwoReplies());
  MakeRun(handset);
  const std::string json = FormatJsonTimeline(handset.GetTimeline(), SummariseRun(handset));
  std::string expected =
      "{'t':0,'op':'find_window','class':'GoogleMapsMobile','found':false,'window':0}\n"
      "{'t':0,'op':'sleep','ms':100}\n"
      "{'t':100,'op':'open_device','name':'COM1:','ok':true}\n"
      "{'t':100,'op':'write','text':'AT@LBC?\\r','count':8}\n"
      "{'t':100,'op':'sleep','ms':200}\n"
      "{'t':300,'op':'read','text':'ERROR','count':5}\n"
      "{'t':300,'op':'write','text':'AT@LBC?\\r','count':8}\n"
      "{'t':300,'op':'sleep','ms':200}\n"
      "{'t':500,'op':'read','text':'\\r\\n@LBC: N35.41.22,E139.45.12\\r\\n','count':30}\n"
      "{'t':500,'op':'close_device'}\n"
      "{'t':500,'op':'message','title':'posrelay','text':'モバイル Google "
      "マップの起動に失敗しました'}\n"
      "{'t':500,'op':'quit','code':0}\n"
      "{'t':500,'op':'end','outcome':'message','latitude':35.69266981057444,"
      "'longitude':139.75012472663002}\n";
  std::replace(expected.begin(), expected.end(), '\'', '"');
  EXPECT_EQ(json, expected);
}

TEST(RunReport, TextLinesAreAlignedAndEndWithTheOutcome) {
  HandsetScenario scenario;
  SimulatedHandset handset(scenario);
  handset.FindTopWindow(L"GoogleMapsMobile");
  handset.SleepFor(12345);
  handset.PreKeyCall();
  handset.RequestQuit(0);
  EXPECT_EQ(FormatTextTimeline(handset.GetTimeline(), SummariseRun(handset)),
            " 0.000  find_window  class=\"GoogleMapsMobile\" found=false window=0\n"
            " 0.000  sleep        ms=12345\n"
            "12.345  pre_key\n"
            "12.345  quit         code=0\n"
            "end: map shown, after 12.345 s\n");
}

}  // namespace
