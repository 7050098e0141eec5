#include "tools/posrelay_sim/seconds_text.h"

#include <cstdio>

#include "tools/posrelay_sim/check_texts.h"

std::string SecondsText(std::int64_t ms) {
  const std::uint64_t magnitude = ms < 0 ? 0 - static_cast<std::uint64_t>(ms) : ms;
  char text[40];
  std::snprintf(text, sizeof text, "%s%llu.%03llu", ms < 0 ? "-" : "",
                static_cast<unsigned long long>(magnitude / 1000),
                static_cast<unsigned long long>(magnitude % 1000));
  return text;
}

std::string DurationText(std::uint64_t ms, ReportLanguage language) {
  const std::uint64_t seconds = ms / 1000;
  std::string duration =
      CheckTextIn(language, kTextSeconds, {SecondsText(static_cast<std::int64_t>(ms))});
  if (seconds >= 3600) {
    duration += CheckTextIn(language, kTextHours,
                            {std::to_string(seconds / 3600), std::to_string(seconds / 60 % 60),
                             std::to_string(seconds % 60)});
  } else if (seconds >= 60) {
    duration += CheckTextIn(language, kTextMinutes,
                            {std::to_string(seconds / 60), std::to_string(seconds % 60)});
  }
  return duration;
}
