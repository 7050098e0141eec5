#ifndef POSRELAY_REPORTS_TEXT_TIMELINE_H
#define POSRELAY_REPORTS_TEXT_TIMELINE_H

#include <string>

#include "check/report_language.h"
#include "reports/run_report.h"
#include "simulator/timeline.h"

// The run for people to read, in `language`: a heading for each phase and for each attempt
// of the position query ("-- attempt 3 --"), one aligned line per operation
// with its time in seconds, runs of identical key presses folded into one
// line ("17 × 3"), then a summary of the position and the message and a last
// line with the outcome and the total time.
std::string FormatTextTimeline(const Timeline& timeline, const RunSummary& summary,
                               ReportLanguage language);

// That summary alone: "-- summary --", the position query's outcome (the
// attempts made and their limit, the position on both datums), the
// message, and, `withEnd`, how the run ended, or where its record stops
// (run_end.h).
std::string FormatSummaryText(const Timeline& timeline, const RunSummary& summary,
                              ReportLanguage language, bool withEnd = true);

#endif
