#include "check/report_language.h"

#include <cstring>
#include <initializer_list>
#include <vector>

ReportLanguage LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* name : {lcAll, lcMessages, lang}) {
    if (name && *name) return std::strncmp(name, "ja", 2) == 0 ? kJapanese : kEnglish;
  }
  return kEnglish;
}

std::string TextIn(ReportLanguage language, const char* english, const char* japanese,
                   std::initializer_list<std::string> arguments) {
  const std::vector<std::string> values(arguments);
  const std::string pattern = language == kJapanese ? japanese : english;
  std::string filled;
  for (std::string::size_type at = 0; at < pattern.size(); ++at) {
    const bool placeholder = pattern[at] == '{' && at + 2 < pattern.size() &&
                             pattern[at + 2] == '}' && pattern[at + 1] >= '1' &&
                             static_cast<std::size_t>(pattern[at + 1] - '1') < values.size();
    if (placeholder) {
      filled += values[static_cast<std::size_t>(pattern[at + 1] - '1')];
      at += 2;
    } else {
      filled += pattern[at];
    }
  }
  return filled;
}
