#ifndef POSRELAY_TOOLS_POSRELAY_SIM_REPORT_LANGUAGE_H
#define POSRELAY_TOOLS_POSRELAY_SIM_REPORT_LANGUAGE_H

// The language of what posrelay-sim tells its reader about a settings file.
enum ReportLanguage { kEnglish, kJapanese };

// The language of the messages locale, as the C library picks it: the first
// of LC_ALL, LC_MESSAGES and LANG that is set and not empty; Japanese when
// it starts with "ja" ("ja_JP.UTF-8"), English otherwise. Null for unset.
ReportLanguage LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang);

#endif
