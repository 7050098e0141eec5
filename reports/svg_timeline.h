#ifndef POSRELAY_REPORTS_SVG_TIMELINE_H
#define POSRELAY_REPORTS_SVG_TIMELINE_H

#include <string>

#include "check/report_language.h"
#include "reports/run_report.h"
#include "simulator/timeline.h"
#include "trace/trace_vocabulary.h"

// The run as a timeline chart in `language`, an SVG document without a fixed size (a
// viewBox, the width of its container): the outcome and the position above,
// the phases along the top as named bands, one lane each for the map
// application, the data connection, the module (its attempts numbered) and
// the internet and keys, pauses as bars and every other operation as a mark
// whose details show on hover (a serial reply's text among them), marks
// less than a pixel apart as one that says how many it stands for
// (mark_groups.h), marks of one moment side by side, the message and the end as lines across, and a
// legend of every mark below.
std::string FormatSvgTimeline(const Timeline& timeline, const RunSummary& summary,
                              ReportLanguage language);

#endif
