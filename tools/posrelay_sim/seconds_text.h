#ifndef POSRELAY_TOOLS_POSRELAY_SIM_SECONDS_TEXT_H
#define POSRELAY_TOOLS_POSRELAY_SIM_SECONDS_TEXT_H

#include <cstdint>
#include <string>

#include "tools/posrelay_sim/report_language.h"

// Milliseconds as seconds with three decimals, a minus before a time below
// zero: "3.000", "-0.250". Every time posrelay-sim shows is written so.
std::string SecondsText(std::int64_t ms);

// A run's length in `language`: its seconds as above, then its hours and
// minutes when it has some, as "61.205 s (1 min 1 s)".
std::string DurationText(std::uint64_t ms, ReportLanguage language);

#endif
