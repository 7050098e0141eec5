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
  const std::string exact =
      CheckTextIn(language, kTextSeconds, {SecondsText(static_cast<std::int64_t>(ms))});
  if (ms < 60000) return exact;
  // To the nearest second: what a person reads off a clock.
  const std::uint64_t seconds = (ms + 500) / 1000;
  const struct {
    std::uint64_t count;
    CheckText unit;
  } parts[] = {{seconds / 3600, kTextHoursPart},
               {seconds / 60 % 60, kTextMinutesPart},
               {seconds % 60, kTextSecondsPart}};
  std::string about;
  for (const auto& part : parts) {
    if (part.count == 0) continue;
    about +=
        (about.empty() ? "" : " ") + CheckTextIn(language, part.unit, {std::to_string(part.count)});
  }
  return CheckTextIn(language, kTextAbout, {about, exact});
}
