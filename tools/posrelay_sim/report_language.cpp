#include "tools/posrelay_sim/report_language.h"

#include <cstring>
#include <initializer_list>

ReportLanguage LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang) {
  for (const char* name : {lcAll, lcMessages, lang}) {
    if (name && *name) return std::strncmp(name, "ja", 2) == 0 ? kJapanese : kEnglish;
  }
  return kEnglish;
}
