#ifndef POSRELAY_CHECK_REPORT_LANGUAGE_H
#define POSRELAY_CHECK_REPORT_LANGUAGE_H

#include <initializer_list>
#include <string>

// The language of what posrelay-sim and the owner's page tell their reader.
enum ReportLanguage { kEnglish, kJapanese };

// The language of the messages locale, as the C library picks it: the first
// of LC_ALL, LC_MESSAGES and LANG that is set and not empty; Japanese when
// it starts with "ja" ("ja_JP.UTF-8"), English otherwise. Null for unset.
ReportLanguage LanguageOfLocale(const char* lcAll, const char* lcMessages, const char* lang);

// `english` or `japanese` by `language`, with "{1}", "{2}", ... replaced by
// `arguments`; a placeholder without an argument stays as it is.
std::string TextIn(ReportLanguage language, const char* english, const char* japanese,
                   std::initializer_list<std::string> arguments);

#endif
