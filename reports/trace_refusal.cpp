#include "reports/trace_refusal.h"

#include "check/dry_run_limits.h"
#include "check/settings_check.h"
#include "reports/run_texts.h"
#include "trace/trace_operations.h"

namespace {

// A file from which the launcher's own settings reader takes a setting.
bool IsSettingsFile(std::string_view bytes) {
  const SettingsCheck check = CheckSettingsFile(std::string(bytes), kEnglish);
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    if (check.setOnLine[key]) return true;
  }
  return false;
}

std::string Sentence(const RecordedTrace& trace, std::string_view bytes, ReportLanguage language) {
  switch (trace.refusal) {
    case kTraceEmpty:
      return RunTextIn(language, kRefusedEmpty);
    case kTraceTooLarge:
      return RunTextIn(language, kRefusedTooLarge, {std::to_string(kLargestTraceFileBytes)});
    case kTraceNotATrace:
      return RunTextIn(language, IsSettingsFile(bytes) ? kRefusedSettingsFile : kRefusedNotATrace);
    case kTraceNewerFormat:
      return RunTextIn(language, kRefusedNewerFormat,
                       {std::to_string(trace.version), std::to_string(kTraceFormatVersion)});
    default:
      return RunTextIn(language, kRefusedDamagedLine, {std::to_string(trace.refusedLine)});
  }
}

}  // namespace

std::string TraceRefusalText(const RecordedTrace& trace, std::string_view bytes,
                             const std::string& error, ReportLanguage language) {
  return RunTextIn(language, kRefusedDetail, {Sentence(trace, bytes, language), error});
}

std::string ReplayRefusalText(const ReplayResult& result, const std::string& problem,
                              ReportLanguage language) {
  return RunTextIn(language, kRefusedDetail,
                   {RunTextIn(language, kRefusedTooManyLoops,
                              {std::to_string(result.refusedLine), std::to_string(kMostLoops)}),
                    problem});
}
