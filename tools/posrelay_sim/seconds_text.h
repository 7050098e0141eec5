#ifndef POSRELAY_TOOLS_POSRELAY_SIM_SECONDS_TEXT_H
#define POSRELAY_TOOLS_POSRELAY_SIM_SECONDS_TEXT_H

#include <cstdint>
#include <string>

#include "tools/posrelay_sim/report_language.h"

// Milliseconds as seconds with three decimals, a minus before a time below
// zero: "3.000", "-0.250". Every time posrelay-sim shows is written so.
std::string SecondsText(std::int64_t ms);

// A run's length in `language`: its seconds as above; from a minute on, its
// hours, minutes and seconds to the nearest second first, as the owners'
// guide writes times, with the exact seconds after them:
// "about 2 min 25 s (145.100 s)", "約 2 分 25 秒（145.100 秒）".
std::string DurationText(std::uint64_t ms, ReportLanguage language);

#endif
