#ifndef POSRELAY_TOOLS_POSRELAY_SIM_SVG_TIMELINE_H
#define POSRELAY_TOOLS_POSRELAY_SIM_SVG_TIMELINE_H

#include <string>

#include "platform/sim/timeline.h"
#include "tools/posrelay_sim/run_report.h"

// The run as a timeline chart, an SVG document: the outcome and the position
// above, the phases along the top, one lane each for the map application,
// the data connection, the module and the internet and keys, pauses as bars
// and every other operation as a mark whose details show on hover (a serial
// reply's text among them), the message and the end as lines across.
std::string FormatSvgTimeline(const Timeline& timeline, const RunSummary& summary);

#endif
