#include "check/seconds_text.h"

#include <cstdio>

#include "check/check_texts.h"

std::string SecondsText(std::int64_t ms) {
  const std::uint64_t magnitude = ms < 0 ? 0 - static_cast<std::uint64_t>(ms) : ms;
  char text[40];
  std::snprintf(text, sizeof text, "%s%llu.%03llu", ms < 0 ? "-" : "",
                static_cast<unsigned long long>(magnitude / 1000),
                static_cast<unsigned long long>(magnitude % 1000));
  return text;
}

namespace {

// `units` thousandths, rounded to `step` thousandths, without trailing zeros.
std::string Decimal(std::uint64_t units, std::uint64_t step) {
  const std::uint64_t rounded = (units + step / 2) / step * step;
  std::string text = SecondsText(static_cast<std::int64_t>(rounded));
  text.erase(text.find_last_not_of('0') + 1);
  if (text.back() == '.') text.pop_back();
  return text;
}

// Hours, minutes and seconds to the nearest second: "2 min 25 s".
std::string ClockParts(std::uint64_t ms, ReportLanguage language) {
  const std::uint64_t seconds = (ms + 500) / 1000;
  const struct {
    std::uint64_t count;
    CheckText unit;
  } parts[] = {{seconds / 3600, kTextHoursPart},
               {seconds / 60 % 60, kTextMinutesPart},
               {seconds % 60, kTextSecondsPart}};
  std::string clock;
  for (const auto& part : parts) {
    if (part.count == 0) continue;
    clock +=
        (clock.empty() ? "" : " ") + CheckTextIn(language, part.unit, {std::to_string(part.count)});
  }
  return clock;
}

}  // namespace

std::string TimeForPeople(std::int64_t ms, ReportLanguage language) {
  if (ms < 0) return "-" + TimeForPeople(-ms, language);
  const std::uint64_t magnitude = static_cast<std::uint64_t>(ms);
  // 59.96 s would round up to a minute's "60 s": a minute on, write the clock.
  if (magnitude >= 59950)
    return CheckTextIn(language, kTextAboutClock, {ClockParts(magnitude, language)});
  return CheckTextIn(language, kTextSeconds,
                     {Decimal(magnitude, magnitude < 100    ? 1
                                         : magnitude < 1000 ? 10
                                                            : 100)});
}

std::string DurationText(std::uint64_t ms, ReportLanguage language) {
  // Owners read Japanese: the time as they write it, without the exact seconds.
  if (language == kJapanese) return TimeForPeople(static_cast<std::int64_t>(ms), language);
  const std::string exact =
      CheckTextIn(language, kTextSeconds, {SecondsText(static_cast<std::int64_t>(ms))});
  if (ms < 60000) return exact;
  // To the nearest second: what a person reads off a clock.
  return CheckTextIn(language, kTextAbout, {ClockParts(ms, language), exact});
}
