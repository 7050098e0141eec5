#ifndef POSRELAY_REPORTS_RUN_TEXTS_H
#define POSRELAY_REPORTS_RUN_TEXTS_H

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

#include "check/report_language.h"
#include "position/geo_position.h"
#include "replay/run_phases.h"

// Every text that tells a run or a trace to people, in each language: the
// dry run's and the replay's summaries, the chart, the text timeline's
// headings, the replay's report and verdicts, and a trace's refusals.
enum RunText {
  // How a run ended (run_end.cpp): {1} the time, {2} the position, {3} the
  // message, {4} the operation the record stops after, {5} the end recorded.
  kEndShown,
  kEndShownAt,
  kEndMessage,
  kEndMessageWithPosition,
  kEndInterrupted,
  kEndInterruptedWithPosition,
  kEndCut,
  kEndCutToEnd,
  kEndAtMessage,
  kPositionDegrees,
  // The summary.
  kSummaryHeading,
  kSummaryPosition,
  kSummaryMessage,
  kSummaryNoMessage,
  kSummaryEnd,
  kPositionNotAsked,
  kPositionPortClosed,
  kPositionNone,
  kPositionGiven,
  // A record that stops short: {1} the attempts begun, {2} the most.
  kPositionNotYetAsked,
  kPositionNoneYet,
  kPositionNoneBeforeAttempts,
  // The text timeline.
  kAttemptHeading,
  kFoldedPresses,
  kEachPress,
  kEachPauseAndPress,
  // The chart.
  kChartTitle,
  kChartPosition,
  kPhaseTip,
  kAttemptTip,
  kPauseTip,
  kMarkTip,
  kMessageTip,
  kMessageLabel,
  kEndTip,
  kEndLabel,
  kRecordStopsTip,
  kRecordStopsLabel,
  kLegendPause,
  kLegendCommand,
  kLegendReply,
  kLegendNothingRead,
  kLegendNoWindow,
  kLegendWindowFound,
  kLegendCloseOrStart,
  kLegendOtherCall,
  kLegendExpectedFailure,
  kLegendFailedCloseOrStart,
  kLegendFailedCall,
  kLegendKey,
  kLegendAttempt,
  kLegendMessage,
  kLegendEnd,
  kLegendRecordStops,
  // What a mark on the chart shows happened (mark_texts.cpp): {1} its value.
  kMarkPortOpened,
  kMarkPortNotOpened,
  kMarkCommandSent,
  kMarkReplyRead,
  kMarkNoReply,
  kMarkPortClosed,
  kMarkWindowFound,
  kMarkWindowNotYet,
  kMarkBroughtToFront,
  kMarkCloseAsked,
  kMarkCloseNotAsked,
  kMarkMapInstructed,
  kMarkMapNotInstructed,
  kMarkMapStarted,
  kMarkMapNotStarted,
  kMarkKeyPressed,
  kMarkKeysPrepared,
  kMarkKeysDone,
  kMarkRegistryOpened,
  kMarkRegistryNotOpened,
  kMarkRegistrySet,
  kMarkRegistryNotSet,
  kMarkRegistryClosed,
  kMarkConnectionToolsLoaded,
  kMarkConnectionToolsMissing,
  kMarkConnectionPartFound,
  kMarkConnectionPartMissing,
  kMarkConnectionToolsReleased,
  kMarkConnectionsListed,
  kMarkNoConnections,
  kMarkConnectionsNotListed,
  kMarkHungUp,
  kMarkNotHungUp,
  kMarkInternetOpened,
  kMarkInternetNotOpened,
  kMarkInternetSet,
  kMarkInternetNotSet,
  kMarkPageOpened,
  kMarkPageNotOpened,
  kMarkPageRead,
  kMarkPageNotRead,
  kMarkInternetClosed,
  // The replay's report.
  kReplayHeader,
  kReplayBuild,
  kReplayOs,
  kReplayStarted,
  kColumnRecorded,
  kColumnPauses,
  kColumnOperation,
  kLeftOutAtBound,
  kTimeAccount,
  kVerdictIdentical,
  kVerdictInterrupted,
  kVerdictAtMessage,
  // The page's details under its headline: only what the headline lacks.
  kDetailsIdentical,
  kDetailsStopsAfter,
  kDetailsCut,
  kInterruptedBrokenLine,
  kInterruptedNoEnd,
  kVerdictCut,
  kVerdictCutLastPart,
  kLastPartToItsEnd,
  kDivergenceAtOperation,
  kDivergenceAtEndLine,
  kDivergenceRecorded,
  kDivergenceTraceEnds,
  kDivergenceNoMoreCalls,
  kDivergenceLauncherMade,
  kDivergenceEndGiven,
  // The replay's verdict in a sentence, as the page heads it.
  kHeadlineIdentical,
  kHeadlineAsFarAsItGoes,
  kHeadlineDivergence,
  // What a record that stops without its end most likely means, and what to do.
  kHeadlineStopsMeaning,
  // Why a file is not replayed, in its owner's words.
  kRefusedEmpty,
  kRefusedTooLarge,
  kRefusedNotATrace,
  kRefusedSettingsFile,
  kRefusedNewerFormat,
  kRefusedDamagedLine,
  kRefusedTooManyLoops,
  kRefusedDetail,
  kRunTextCount
};

// The text in `language` with "{1}", "{2}", ... replaced by `arguments`.
std::string RunTextIn(ReportLanguage language, RunText text,
                      std::initializer_list<std::string> arguments = {});

// A value from a run or a file quoted as each language quotes it:
// "COM1:" in English, 「COM1:」 in Japanese, escaped as DisplayText escapes.
std::string QuotedIn(ReportLanguage language, std::string_view utf8);

// A time with its unit as people write it: "3.000 s" in English, where the
// tool's output keeps every digit; "3 秒", "3.5 秒", "約 2 分 25 秒" in
// Japanese, which only owners read (seconds_text.h).
std::string SecondsIn(ReportLanguage language, std::int64_t ms);

// A position as people read it: "35.692670, 139.750125" in English,
// "北緯 35.692670 度、東経 139.750125 度" in Japanese.
std::string PositionIn(ReportLanguage language, const GeoPosition& position);

// The names the chart and the text timeline give the phases and the lanes;
// a lane's English name is also the one the vocabulary's JSON gives it.
std::string PhaseNameIn(ReportLanguage language, RunPhase phase);
std::string LaneNameIn(ReportLanguage language, ChartLane lane);
const char* ChartLaneName(ChartLane lane);

// The system a trace names ("handset", "desktop", "simulated").
std::string SystemNameIn(ReportLanguage language, const std::string& system);

#endif
