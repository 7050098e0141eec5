#ifndef POSRELAY_CHECK_SETTINGS_CHECK_H
#define POSRELAY_CHECK_SETTINGS_CHECK_H

#include <cstdint>
#include <string>
#include <vector>

#include "check/report_language.h"
#include "settings/launcher_settings.h"
#include "settings/settings_file.h"

// Something in the file that would surprise its author.
struct SettingsWarning {
  int line;          // physical line; 0 for none in particular
  int key;           // the key it concerns, or kNoSettingsKey for the whole file
  std::string kind;  // what it is about, a name that stays: "textAfterDigits", "gpathQuoted", ...
  std::string text;  // for people, in the check's language, its line first ("line 3: ...")
  std::string message;  // the same without its line, for a reader who shows the line apart
};

// About how long a handset's map takes to show its window after it is
// started, or to close it after it is asked to: checks for its window that
// give up sooner end the run in a timeout message (docs/settings.md).
inline constexpr std::uint64_t kHandsetMapMs = 5000;

// A settings file read line by line with the launcher's own reader, with
// where each setting came from and what would surprise its author.
struct SettingsCheck {
  ReportLanguage language;
  LauncherSettings settings;
  // Physical line that set each key last; 0 for the default.
  int setOnLine[kSettingsKeyCount];
  // In line order.
  std::vector<SettingsWarning> warnings;
  // The path gpath's author meant, where a dry run takes the map to be: as
  // written in a UTF-8 file, full-width forms and blanks as half-width ones,
  // without blanks or quotes at its ends.
  std::wstring meantGpath;
  // Whether gpath holds bytes that are no Shift-JIS character, so that the
  // path its author meant is not known.
  bool gpathMeantUnknown = false;
};

// `bytes` are the file's contents as they would lie beside the launcher;
// the warnings are written in `language`.
SettingsCheck CheckSettingsFile(const std::string& bytes, ReportLanguage language);

// The report, in the check's language: each setting with its value and
// origin, the warnings, then the shortest and longest run time these
// settings allow. Columns are aligned by display width.
std::string FormatSettingsCheck(const SettingsCheck& check, const std::string& fileName);

// One line of the run times: what it is, how long, and what it assumes of
// the handset (empty for nothing), each in the check's language.
struct RunTimeRow {
  std::string label;
  std::string value;
  std::string assumption;
};

// The shortest run, the shortest normal end and the longest run.
std::vector<RunTimeRow> RunTimeRows(const SettingsCheck& check);

// The same as one JSON object for programs, such as the runner under Wine:
// {"settings":{"gpath":{"value":"...","line":n},...},
//  "warnings":[{"line":n,"key":"wait"|null,"kind":"...","text":"...","message":"..."}],
//  "runTimeMs":{"shortest":ms,"shortestNormalEnd":ms|null,"longest":ms}}
std::string FormatSettingsCheckJson(const SettingsCheck& check);

// A file that could not be read, as JSON: {"file":"...","error":"..."}.
std::string FormatUnreadableFileJson(const std::string& fileName, const std::string& problem);

#endif
