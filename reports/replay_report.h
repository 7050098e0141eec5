#ifndef POSRELAY_REPORTS_REPLAY_REPORT_H
#define POSRELAY_REPORTS_REPLAY_REPORT_H

#include <string>

#include "check/report_language.h"
#include "replay/trace_reader.h"
#include "replay/trace_replay.h"

// Which launcher recorded the run, where and when, in one line: the replay
// report's first.
std::string FormatReplayOrigin(const RecordedTrace& trace, ReportLanguage language);

// The replay for people, in `language`: its origin, then each operation with its recorded
// time beside the time the launcher's pauses account for, then the
// verdict: identical, with how much of the run's time lay beyond its
// pauses, cut, interrupted, or the first divergence with the recorded
// operation and what the launcher did instead.
std::string FormatReplayText(const RecordedTrace& trace, const ReplayResult& result,
                             ReportLanguage language);

// The last line of that report alone: the verdict.
std::string FormatReplayVerdict(const RecordedTrace& trace, const ReplayResult& result,
                                ReportLanguage language);

// The verdict in one sentence with how the recorded run ended (run_end.h),
// or where it departs: "Replayed exactly as recorded: map shown at ...";
// for a record that stops without its end, what that most likely means and
// what to do.
std::string FormatReplayHeadline(const RecordedTrace& trace, const ReplayResult& result,
                                 ReportLanguage language);

// What the verdict adds to the headline, for those who look further: the
// operations compared, where the record stops, the time beyond the pauses,
// or what the launcher did instead of the recorded operation.
std::string FormatReplayDetails(const RecordedTrace& trace, const ReplayResult& result,
                                ReportLanguage language);

// The same as JSON lines: {"t":recorded,"pauses":ms,"op":...} for each
// operation, then {"replay":"identical"|"cut"|"interrupted"|"divergence",
// ...,"end":kind}, the kind of the recorded run's end as RunEndKindName
// names it.
std::string FormatReplayJson(const RecordedTrace& trace, const ReplayResult& result);
// Its last line alone: how the replay ended.
std::string FormatReplayResultJson(const RecordedTrace& trace, const ReplayResult& result);

// The recorded run as a dry run's chart, at the times it was recorded.
std::string FormatReplaySvg(const RecordedTrace& trace, ReportLanguage language);

// The recorded run's summary, as a dry run's: its position, its message and,
// `withEnd`, how it ended (which the page's headline already tells).
std::string FormatReplaySummary(const RecordedTrace& trace, ReportLanguage language,
                                bool withEnd = true);

#endif
