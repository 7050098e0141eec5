#include "tools/posrelay_sim/settings_check.h"

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <nlohmann/json.hpp>

#include "platform/sim/simulated_handset.h"
#include "platform/sim/text_encoding.h"
#include "settings/read_integer.h"
#include "tools/posrelay_sim/display_text.h"
#include "tools/posrelay_sim/run_time_bounds.h"

namespace {

const int kPauseKeys[] = {kKeyWait, kKeyWaitstart, kKeyWsimdcon, kKeyWsimcon};
// Characters that a Japanese keyboard gives in full width, where the
// launcher only knows their ASCII forms.
const wchar_t kFullWidthEquals = 0xFF1D;
const wchar_t kFullWidthZero = 0xFF10;
const wchar_t kFullWidthNine = 0xFF19;
const wchar_t kIdeographicSpace = 0x3000;
const wchar_t kBlanks[] = {L' ', L'\t', L'\r', kIdeographicSpace, 0};
// How other settings files mark comments; this one has no comment syntax.
const wchar_t* const kCommentMarks[] = {L"#", L";", L"//", L"'"};

std::string KeyName(int key) { return WideToUtf8(SettingsKeyName(key)); }

std::wstring KeyText(int key) { return std::wstring(SettingsKeyName(key)) + L"="; }

// The key whose text comes first in the line, which is the one its author
// most likely meant.
int LeadingKey(const std::wstring& line) {
  int leading = kNoSettingsKey;
  std::wstring::size_type leadingAt = std::wstring::npos;
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    const std::wstring::size_type at = line.find(KeyText(key));
    if (at < leadingAt) {
      leading = key;
      leadingAt = at;
    }
  }
  return leading;
}

// The line as its author wrote it, without its line feed.
std::string Quoted(const std::wstring& piece) {
  std::wstring text = piece;
  if (!text.empty() && text.back() == L'\n') text.pop_back();
  return DisplayText(WideToUtf8(text));
}

bool IsBlank(wchar_t c) { return c != 0 && std::wcschr(kBlanks, c) != nullptr; }

bool LooksLikeComment(const std::wstring& piece) {
  const std::wstring::size_type start = piece.find_first_not_of(kBlanks);
  if (start == std::wstring::npos) return false;
  for (const wchar_t* mark : kCommentMarks) {
    if (piece.compare(start, std::wcslen(mark), mark) == 0) return true;
  }
  return false;
}

// A key, perhaps blanks, then the full-width equals sign: meant as a setting.
bool HasKeyWithFullWidthEquals(const std::wstring& piece) {
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    const std::wstring name = SettingsKeyName(key);
    for (std::wstring::size_type at = piece.find(name); at != std::wstring::npos;
         at = piece.find(name, at + 1)) {
      const std::wstring::size_type next = piece.find_first_not_of(kBlanks, at + name.size());
      if (next != std::wstring::npos && piece[next] == kFullWidthEquals) return true;
    }
  }
  return false;
}

bool HasFullWidthDigit(const std::wstring& text) {
  return std::any_of(text.begin(), text.end(),
                     [](wchar_t c) { return c >= kFullWidthZero && c <= kFullWidthNine; });
}

int NumericSetting(const LauncherSettings& settings, int key) {
  switch (key) {
    case kKeyGreset:
      return settings.greset;
    case kKeyGclear:
      return settings.gclear;
    case kKeyWait:
      return settings.wait;
    case kKeyWaitloop:
      return settings.waitloop;
    case kKeyWaitstart:
      return settings.waitstart;
    case kKeyWsimdcon:
      return settings.wsimdcon;
    case kKeyWsimcon:
      return settings.wsimcon;
    default:
      return settings.gzoomtime;
  }
}

bool IsTextKey(int key) { return key == kKeyGpath || key == kKeyComport; }

const std::wstring& TextSetting(const LauncherSettings& settings, int key) {
  return key == kKeyGpath ? settings.gpath : settings.comport;
}

// As the report shows it: texts quoted, so that blanks at their ends show.
std::string SettingValue(const LauncherSettings& settings, int key) {
  if (IsTextKey(key)) return DisplayText(WideToUtf8(TextSetting(settings, key)));
  return std::to_string(NumericSetting(settings, key));
}

std::size_t TextCapacity(int key) { return key == kKeyGpath ? kGpathCapacity : kComportCapacity; }

// A number that reads as something other than what its author wrote.
void CheckNumber(const std::wstring& piece, int key, const std::string& where,
                 std::vector<std::pair<int, std::string> >& warnings, int line) {
  std::wstring value;
  SettingsLineValue(piece, value);
  int read = 0;
  const int digits = ReadInteger(value.c_str(), value.size(), read);
  const std::string shown = KeyName(key) + " value " + Quoted(value);
  if (HasFullWidthDigit(value)) {
    warnings.emplace_back(line, where + shown + " has full-width digits, which are not read " +
                                    "as digits; read as " + std::to_string(read));
  } else if (!digits) {
    warnings.emplace_back(line, where + shown + " has no digits; read as 0");
  }
}

// A text taken with blanks at its ends, which the launcher keeps.
void CheckText(const std::wstring& value, int key, const std::string& where,
               std::vector<std::pair<int, std::string> >& warnings, int line) {
  const bool atStart = !value.empty() && IsBlank(value[0]);
  const bool atEnd = !value.empty() && IsBlank(value[value.size() - 1]);
  if (!atStart && !atEnd) return;
  warnings.emplace_back(line, where + KeyName(key) + " value " + DisplayText(WideToUtf8(value)) +
                                  " has a blank at its " +
                                  (atStart && atEnd ? "start and end"
                                   : atStart        ? "start"
                                                    : "end") +
                                  ", which the launcher keeps as part of the " +
                                  (key == kKeyGpath ? "path" : "port name"));
}

// Warnings about one piece of the file; `continued` marks a piece that is
// not the start of its physical line. `settings` are those after the piece.
void CheckPiece(const std::wstring& piece, bool continued, SettingsLineOutcome outcome, int key,
                const LauncherSettings& settings, int line,
                std::vector<std::pair<int, std::string> >& warnings) {
  const std::string where = "line " + std::to_string(line) + ": ";
  if (outcome == kLineMatchedNoKey) {
    // Lines without "=" are notes; one with it looks like a setting gone wrong.
    if (HasKeyWithFullWidthEquals(piece)) {
      warnings.emplace_back(line, where + Quoted(piece) + " has a full-width equals sign (" +
                                      WideToUtf8(std::wstring(1, kFullWidthEquals)) +
                                      "), so it matches no key and is ignored");
    } else if (piece.find(L'=') != std::wstring::npos) {
      warnings.emplace_back(line, where + Quoted(piece) + " matches no key and is ignored");
    }
    return;
  }
  if (!continued && outcome == kLineApplied && LooksLikeComment(piece)) {
    warnings.emplace_back(line, where + Quoted(piece) + " looks like a comment, yet sets " +
                                    KeyName(key) + ": the file has no comment syntax");
  }
  if (outcome == kLineApplied && IsTextKey(key)) {
    CheckText(TextSetting(settings, key), key, where, warnings, line);
  } else if (outcome == kLineApplied) {
    CheckNumber(piece, key, where, warnings, line);
  }
  if (continued) {
    warnings.emplace_back(line, where + "the part past its first 255 bytes is read as a line " +
                                    "of its own and sets " + KeyName(key));
  }
  const int leading = LeadingKey(piece);
  if (leading != key) {
    warnings.emplace_back(line, where + Quoted(piece) + " sets " + KeyName(key) + ", not " +
                                    KeyName(leading) + ": \"" + KeyName(key) +
                                    "=\" is tried first");
  }
  if (outcome == kLineHadNoValue) {
    warnings.emplace_back(line, where + KeyName(key) + " has no value; left unchanged");
  } else if (outcome == kLineValueTooLong) {
    warnings.emplace_back(
        line, where + KeyName(key) + " value longer than " + std::to_string(TextCapacity(key)) +
                  " characters or than the line's first 255 bytes; " + "left unchanged");
  }
}

std::string JoinLines(const std::vector<int>& lines) {
  std::string joined;
  for (int line : lines) joined += (joined.empty() ? "" : ", ") + std::to_string(line);
  return joined;
}

// Warnings about the outcome of the whole file.
void CheckOutcome(const SettingsCheck& check,
                  const std::vector<int> (&appliedOn)[kSettingsKeyCount],
                  std::vector<std::pair<int, std::string> >& warnings) {
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    if (appliedOn[key].size() > 1) {
      warnings.emplace_back(appliedOn[key].back(),
                            "line " + std::to_string(appliedOn[key].back()) + ": " + KeyName(key) +
                                " set more than once (lines " + JoinLines(appliedOn[key]) +
                                "); the last one holds");
    }
  }
  for (int key : kPauseKeys) {
    const int value = NumericSetting(check.settings, key);
    if (value < 0) {
      warnings.emplace_back(check.setOnLine[key], "line " + std::to_string(check.setOnLine[key]) +
                                                      ": " + KeyName(key) + " is negative (" +
                                                      std::to_string(value) + "); taken as 0 ms");
    }
  }
  if (check.settings.waitloop <= 0) {
    warnings.emplace_back(check.setOnLine[kKeyWaitloop],
                          "line " + std::to_string(check.setOnLine[kKeyWaitloop]) +
                              ": waitloop is " + std::to_string(check.settings.waitloop) +
                              ": no check for the map window, so closing or starting the map " +
                              "always ends in a timeout message");
  }
}

// A file in another encoding than the handset's code page, Shift-JIS.
void CheckEncoding(const std::string& bytes, std::vector<std::pair<int, std::string> >& warnings) {
  // ASCII in UTF-16 is every other byte zero; a byte-order mark may lead.
  const bool utf16 = bytes.size() >= 2 && (bytes.compare(0, 2, "\xFF\xFE") == 0 ||
                                           bytes.compare(0, 2, "\xFE\xFF") == 0 ||
                                           (bytes[0] == '\0') != (bytes[1] == '\0'));
  if (utf16) {
    warnings.emplace_back(1,
                          "line 1: the file is UTF-16, not Shift-JIS: the launcher reads "
                          "none of its settings; save it as Shift-JIS");
    return;
  }
  const std::string::const_iterator wide =
      std::find_if(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) != 0; });
  std::wstring text;
  // Shift-JIS text other than ASCII is almost never valid UTF-8.
  if (wide == bytes.end() || !Utf8ToWide(bytes, text)) return;
  const int line = 1 + static_cast<int>(std::count(bytes.begin(), wide, '\n'));
  warnings.emplace_back(line, "line " + std::to_string(line) +
                                  ": the file is UTF-8, not Shift-JIS: text other than ASCII "
                                  "reads garbled; save it as Shift-JIS");
}

// Seconds with milliseconds, and hours and minutes when there are some.
std::string Duration(std::uint64_t ms) {
  char text[96];
  const unsigned long long seconds = ms / 1000;
  int length = std::snprintf(text, sizeof text, "%llu.%03llu s", seconds,
                             static_cast<unsigned long long>(ms % 1000));
  if (seconds >= 3600) {
    std::snprintf(text + length, sizeof text - length, " (%llu h %llu min %llu s)", seconds / 3600,
                  seconds / 60 % 60, seconds % 60);
  } else if (seconds >= 60) {
    std::snprintf(text + length, sizeof text - length, " (%llu min %llu s)", seconds / 60,
                  seconds % 60);
  }
  return text;
}

}  // namespace

SettingsCheck CheckSettingsFile(const std::string& bytes) {
  SettingsCheck check;
  SetDefaultSettings(check.settings);
  std::fill(std::begin(check.setOnLine), std::end(check.setOnLine), 0);

  // The launcher's own reader, over a handset whose settings file holds the bytes.
  HandsetScenario scenario;
  scenario.settingsFile = bytes;
  SimulatedHandset handset(scenario);
  const FileHandle file = handset.OpenTextFile(SettingsPath(handset));
  std::vector<int> appliedOn[kSettingsKeyCount];
  int line = 1;
  bool continued = false;
  std::wstring piece;
  bool cut = false;
  while (ReadSettingsPiece(handset, file, piece, cut)) {
    int key = kNoSettingsKey;
    const SettingsLineOutcome outcome = ApplySettingsLine(check.settings, piece, cut, key);
    CheckPiece(piece, continued, outcome, key, check.settings, line, check.warnings);
    if (outcome == kLineApplied) {
      check.setOnLine[key] = line;
      appliedOn[key].push_back(line);
    }
    // A long line arrives in 255-byte pieces; only a piece that ends the
    // line moves on to the next one.
    continued = cut;
    if (!cut) ++line;
  }
  handset.CloseTextFile(file);

  CheckOutcome(check, appliedOn, check.warnings);
  CheckEncoding(bytes, check.warnings);
  std::stable_sort(check.warnings.begin(), check.warnings.end(),
                   [](const auto& a, const auto& b) { return a.first < b.first; });
  return check;
}

std::string FormatSettingsCheck(const SettingsCheck& check, const std::string& fileName) {
  std::string report = fileName + ", as the launcher reads it:\n";
  std::size_t valueWidth = 0;
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    valueWidth = std::max(valueWidth, SettingValue(check.settings, key).size());
  }
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    const std::string value = SettingValue(check.settings, key);
    report += "  " + KeyName(key) + std::string(11 - KeyName(key).size(), ' ') + value +
              std::string(valueWidth - value.size() + 2, ' ') +
              (check.setOnLine[key] ? "line " + std::to_string(check.setOnLine[key]) : "default") +
              "\n";
  }
  for (const auto& warning : check.warnings) report += "warning: " + warning.second + "\n";

  const RunTimeBounds bounds = ComputeRunTimeBounds(check.settings);
  report += "run time, counting only the launcher's own pauses:\n";
  report += "  shortest run         " + Duration(bounds.shortestMs) +
            " (the map is not running and the module's port does not open)\n";
  report +=
      "  shortest normal end  " +
      (bounds.shortestNormalEndMs ? Duration(*bounds.shortestNormalEndMs)
                                  : std::string("none: the map cannot be closed or started")) +
      "\n";
  report += "  longest run          " + Duration(bounds.longestMs) + "\n";
  return report;
}

std::string FormatSettingsCheckJson(const SettingsCheck& check) {
  nlohmann::ordered_json report;
  for (int key = 0; key < kSettingsKeyCount; ++key) {
    nlohmann::ordered_json& setting = report["settings"][KeyName(key)];
    if (IsTextKey(key)) {
      setting["value"] = WideToUtf8(TextSetting(check.settings, key));
    } else {
      setting["value"] = NumericSetting(check.settings, key);
    }
    setting["line"] = check.setOnLine[key];
  }
  report["warnings"] = nlohmann::ordered_json::array();
  for (const auto& warning : check.warnings) {
    report["warnings"].push_back({{"line", warning.first}, {"text", warning.second}});
  }
  const RunTimeBounds bounds = ComputeRunTimeBounds(check.settings);
  nlohmann::ordered_json& runTime = report["runTimeMs"];
  runTime["shortest"] = bounds.shortestMs;
  runTime["shortestNormalEnd"] = nullptr;
  if (bounds.shortestNormalEndMs) runTime["shortestNormalEnd"] = *bounds.shortestNormalEndMs;
  runTime["longest"] = bounds.longestMs;
  return report.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace) + "\n";
}
