#ifndef POSRELAY_CHECK_SECONDS_TEXT_H
#define POSRELAY_CHECK_SECONDS_TEXT_H

#include <cstdint>
#include <string>

#include "check/report_language.h"

// Milliseconds as seconds with three decimals, a minus before a time below
// zero: "3.000", "-0.250". Every time posrelay-sim shows is written so.
std::string SecondsText(std::int64_t ms);

// A run's length in `language`: in English its seconds as above; from a
// minute on, its hours, minutes and seconds to the nearest second first,
// with the exact seconds after them: "about 2 min 25 s (145.100 s)". In
// Japanese as TimeForPeople writes it: "約 2 分 25 秒".
std::string DurationText(std::uint64_t ms, ReportLanguage language);

// A time as a person writes it, for owners: below a tenth of a second to
// the millisecond ("0.05 秒"), below a second to the hundredth ("0.1 秒",
// "0.25 秒"), below a minute to the tenth ("2 秒",
// "3.5 秒"), from a minute on to the second ("約 2 分 25 秒"); no zeros
// after the point. In English the same with "s", "min" and "about".
std::string TimeForPeople(std::int64_t ms, ReportLanguage language);

#endif
